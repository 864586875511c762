// The load sequence, the compatibility check and zone creation, end to end: real and made-up
// files into the stand-in host. (Host calls refused and allocations failing: the fault sweep.)
#include "addon/assembly/load_sequence.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "addon/assembly/loader_name.h"
#include "addon/header/out_file_info.h"
#include "standins/qvsdkbase/host_control.h"
#include "tests/support/header_reading.h"
#include "tests/support/temp_dir.h"

namespace {

using Strings = std::vector<std::string>;
using Shares = std::optional<std::vector<QvZoneNum>>;
constexpr QvDataType D = cvl::kTypeDouble, I = cvl::kTypeInt32;

// A zone of the host's dataset: its name, and the share list it was given (none when not given).
using Zone = std::pair<std::string, Shares>;
Zone zone(const std::string& name, const Shares& shares = std::nullopt) {
  return {name, shares};
}

// What a load left in the host: whether it succeeded, the dataset's variables (none when no
// dataset was created) and zones, and the messages shown.
using Loaded = std::tuple<bool, std::optional<Strings>, std::vector<Zone>, Strings>;
Loaded loaded(const Strings& variables, const std::vector<Zone>& zones) {
  return {true, variables, zones, {}};
}
Loaded failed(const Strings& messages, const std::optional<Strings>& variables = std::nullopt,
              const std::vector<Zone>& zones = {}) {
  return {false, variables, zones, messages};
}

// Loads paths into an empty host. A dataset it creates bears the loader's title and name.
Loaded load(const Strings& paths) {
  qvsdkbase::reset();
  QorUtilLockOn();
  Loaded seen{cvl::loadFileList(paths), std::nullopt, {}, qvsdkbase::messages()};
  QorUtilLockOff();
  if (const qvsdkbase::DataSet* set = qvsdkbase::dataSet()) {
    EXPECT_EQ(std::make_pair(set->title, set->loaderName),
              std::make_pair(std::string(cvl::kDataSetTitle), std::string(cvl::kLoaderName)));
    std::get<1>(seen) = set->variables;
    for (const qvsdkbase::Zone& z : set->zones)
      std::get<2>(seen).push_back(
          zone(z.name, z.shareListGiven ? Shares(z.shareZones) : std::nullopt));
  }
  return seen;
}

// Files in sequence, the first file or a later one failing, and later files that the
// compatibility check refuses: count before names before types, reported against line 3. Every
// zone but a file's first is given a share list, also when no column is shared.
TEST(LoadFileList, FilesInSequence) {
  const cvl::test::TempDir dir;
  const auto path = [&dir](const std::string& name) { return (dir.path() / name).string(); };
  const auto at = [&path](const char* name, uint64_t line, const std::string& message) {
    return cvl::test::lined(path(name), line, message);
  };
  const std::string header = "# CONVERGE\n# column 1 2\n# Crank Mass\n# (DEG) (kg)\n#\n";
  dir.write("one.out", header + "3 30\n4 40\n5 50\n");
  dir.write("empty.out", header);
  dir.write("badrow.out", header + "6 60\n7 x\n");
  // Two zones, no column shared; two zones and a shared column.
  dir.write("pair.out", "# CONVERGE\n# column 1 2\n# Mass Mass\n# (kg) (kg)\n# A B\n1 2\n");
  dir.write("two.out",
            "# CONVERGE\n# column 1 2 3\n# Crank Mass Mass\n# (DEG) (kg) (kg)\n"
            "# (none) A B\n1 10 20\n2 11 21\n");
  // Later files that differ from one.out: lower in the case of a name; three in count, names
  // and types; swapped in names and types; trailing only in the type of a column without values.
  dir.write("lower.out", "# CONVERGE\n# column 1 2\n# Crank mass\n# (DEG) (kg)\n#\n1 2\n");
  dir.write("three.out",
            "# CONVERGE\n# column 1 2 3\n# Crank T Mass\n# (DEG) (K) (kg)\n#\n1 2 3\n");
  dir.write("swapped.out",
            "# CONVERGE\n# column 1 2 3\n# Mass Crank X\n# (kg) (DEG) (kg)\n#\n1 2\n");
  dir.write("trailing.out",
            "# CONVERGE\n# column 1 2 3\n# Crank Mass X\n# (DEG) (kg) (number)\n#\n1 2\n");
  const Strings made = {"Crank (DEG)", "Mass (kg)"};
  const std::string open = "Unable to open datafile: " + path("missing.out");
  const std::string names = "Incompatible datasets.  Variable names are not equal";
  const std::pair<Strings, Loaded> cases[] = {
      {{"two.out", "one.out"}, loaded(made, {zone("two A"), zone("two B", {{1, 0}}), zone("one")})},
      {{"pair.out", "pair.out"},
       loaded({"Mass (kg)"},
              {zone("pair A"), zone("pair B", {{0}}), zone("pair A"), zone("pair B", {{0}})})},
      {{"missing.out", "one.out"}, failed({open})},
      {{}, failed({"No data files to load"})},
      {{"one.out", "missing.out", "badrow.out"}, failed({open}, made, {zone("one")})},
      {{"empty.out", "one.out"},
       failed({at("empty.out", 5, "File does not contain any data points")})},
      {{"one.out", "badrow.out", "one.out"},
       failed({at("badrow.out", 7, "Invalid or missing double precision value")}, made,
              {zone("one"), zone("badrow")})},
      {{"two.out", "lower.out"},
       failed({at("lower.out", 3, names)}, made, {zone("two A"), zone("two B", {{1, 0}})})},
      {{"one.out", "swapped.out"}, failed({at("swapped.out", 3, names)}, made, {zone("one")})},
      {{"one.out", "three.out"},
       failed({at("three.out", 3, "Incompatible datasets.  Number of variables are not equal")},
              made, {zone("one")})},
      {{"one.out", "trailing.out"},
       failed({at("trailing.out", 3, "Incompatible datasets.  Variable data types not equal")},
              made, {zone("one")})},
  };
  for (const auto& [files, expected] : cases) {
    Strings paths;
    for (const std::string& name : files) paths.push_back(path(name));
    EXPECT_EQ(load(paths), expected) << testing::PrintToString(files);
  }
}

// Each real file listed twice: the second copy's zones come after the first's and share with its
// own first zone. Per file: the points and data types of every zone, each zone's name and share
// list, and values of the last row in both copies.
TEST(LoadFileList, RealFilesListedTwice) {
  using LastValue = std::tuple<size_t, size_t, double>;  // zone in the first copy, variable, value
  using RealFile = std::tuple<const char*, int64_t, std::vector<QvDataType>, std::vector<Zone>,
                              std::vector<LastValue>>;
  const auto file = [](const char* name, int64_t points, const std::vector<QvDataType>& types,
                       const std::vector<Zone>& zones, const std::vector<LastValue>& lastRow) {
    return RealFile{name, points, types, zones, lastRow};
  };
  const auto value = [](size_t zone, size_t variable, double v) {
    return LastValue{zone, variable, v};
  };
  const std::string amr0 = "amr Region_0", amr1 = "amr Region_1", cells = "cell_count_regions";
  const std::string b6 = "mass_balance bound_id_6", b7 = "mass_balance bound_id_7";
  const std::string j = "source_energy (J)", jd = "source_energy (J/DEG)";
  const RealFile files[] = {
      file("amr.out", 25583, {D, D, D},
           {zone(amr0), zone(amr1, {{1, 0, 0}}), zone(amr0), zone(amr1, {{3, 0, 0}})},
           {value(2, 1, 1098.0172), value(1, 3, -1), value(2, 2, 1)}),
      file("cell_count_regions.out", 14492, {D, D, D, D, D}, {zone(cells), zone(cells)},
           {value(1, 2, 182789), value(1, 5, 38110)}),
      file("mass_balance.out", 14492, {D, I, D, D, D, D, D},
           {zone(b6), zone(b7, {{1, 1, 1, 1, 1, 0, 0}}), zone(b6),
            zone(b7, {{3, 3, 3, 3, 3, 0, 0}})},
           {value(2, 2, 25583), value(1, 3, -1.1538212e-02), value(1, 6, -5.1631526e-04),
            value(2, 6, -1.1021897e-02)}),
      file("source_energy.out", 14492, {D, D, D, D, D},
           {zone(j), zone(jd, {{1, 0, 0, 0, 0}}), zone(j, {{1, 0, 0, 0, 0}}),
            zone(jd, {{1, 0, 0, 0, 0}}), zone(j), zone(jd, {{5, 0, 0, 0, 0}}),
            zone(j, {{5, 0, 0, 0, 0}}), zone(jd, {{5, 0, 0, 0, 0}})},
           {value(1, 2, 4.0496779e-02), value(3, 4, 3.9990660e-02), value(4, 1, 1098.0172)}),
  };
  for (const auto& [name, points, types, zones, lastRow] : files) {
    const std::string path = (cvl::test::testDataDir() / "realdata" / name).string();
    const auto [ok, variables, seenZones, messages] = load({path, path});
    EXPECT_TRUE(ok && messages.empty()) << name << testing::PrintToString(messages);
    EXPECT_EQ(seenZones, zones) << name;
    const qvsdkbase::DataSet& set = *qvsdkbase::dataSet();
    for (const qvsdkbase::Zone& z : set.zones)
      EXPECT_EQ(std::make_pair(z.points, z.types), std::make_pair(points, types))
          << name << ", " << z.name;
    for (const auto& [zone, variable, v] : lastRow) {
      for (const size_t copy : {zone, zone + set.zones.size() / 2}) {
        const qvsdkbase::ValueArray& array = *set.zones.at(copy - 1).values.at(variable - 1);
        EXPECT_DOUBLE_EQ(array.asDouble(array.size - 1), v) << name << ", zone " << copy;
      }
    }
  }
}

}  // namespace
