// The load sequence, the compatibility check and zone creation, end to end: real and made-up
// files into the stand-in host. (Host calls refused and allocations failing: the fault sweep.)
#include "addon/assembly/load_sequence.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "standins/qvsdkbase/host_control.h"
#include "tests/support/temp_dir.h"

namespace {

using Strings = std::vector<std::string>;

// The entries of a type or share list, as one digit string.
std::string digits(const std::vector<int32_t>& entries) {
  std::string text;
  for (const int32_t entry : entries) text += std::to_string(entry);
  return text;
}

// "<name> <share list>", the share list as digits, "-" when the host was given none.
std::string zoneAndShares(const qvsdkbase::Zone& zone) {
  return zone.name + " " + (zone.shareListGiven ? digits(zone.shareZones) : "-");
}

class LoadFileList : public testing::Test {
 protected:
  void SetUp() override {
    const std::string header = "# CONVERGE\n# column 1 2\n# Crank Mass\n# (DEG) (kg)\n#\n";
    dir_.write("one.out", header + "3 30\n4 40\n5 50\n");
    dir_.write("empty.out", header);
    dir_.write("badrow.out", header + "6 60\n7 x\n");
    // Two zones, no column shared.
    dir_.write("pair.out", "# CONVERGE\n# column 1 2\n# Mass Mass\n# (kg) (kg)\n# A B\n1 2\n");
    dir_.write("two.out",
               "# CONVERGE\n# column 1 2 3\n# Crank Mass Mass\n# (DEG) (kg) (kg)\n"
               "# (none) A B\n1 10 20\n2 11 21\n");
    // Later files that differ from one.out: lower in the case of a name; three in count, names
    // and types; swapped in names and types; trailing only in the type of a column without values.
    dir_.write("lower.out", "# CONVERGE\n# column 1 2\n# Crank mass\n# (DEG) (kg)\n#\n1 2\n");
    dir_.write("three.out",
               "# CONVERGE\n# column 1 2 3\n# Crank T Mass\n# (DEG) (K) (kg)\n#\n1 2 3\n");
    dir_.write("swapped.out",
               "# CONVERGE\n# column 1 2 3\n# Mass Crank X\n# (kg) (DEG) (kg)\n#\n1 2\n");
    dir_.write("trailing.out",
               "# CONVERGE\n# column 1 2 3\n# Crank Mass X\n# (DEG) (kg) (number)\n#\n1 2\n");
  }

  // A file of the test folder; a full path stays as it is.
  std::string path(const std::string& name) const { return (dir_.path() / name).string(); }
  // The dialog text of message against line of the file.
  std::string at(const std::string& name, int line, const std::string& message) const {
    return "File \"" + path(name) + "\", line " + std::to_string(line) + ": " + message;
  }
  // Loads the files into an empty host. Returns the dataset's title, loader name and variables
  // ("no dataset" when none was created), its zones with their share lists, the messages shown,
  // and "loaded" when the load succeeded.
  Strings load(const Strings& names) const {
    qvsdkbase::reset();
    QorUtilLockOn();
    Strings paths;
    for (const std::string& name : names) paths.push_back(path(name));
    const bool loaded = cvl::loadFileList(paths);
    const qvsdkbase::DataSet* set = qvsdkbase::dataSet();
    Strings seen{set == nullptr ? "no dataset" : set->title + ", " + set->loaderName + ":"};
    for (size_t v = 0; set != nullptr && v < set->variables.size(); ++v)
      seen[0] += " " + set->variables[v];
    for (size_t z = 0; set != nullptr && z < set->zones.size(); ++z)
      seen.push_back(zoneAndShares(set->zones[z]));
    seen.insert(seen.end(), qvsdkbase::messages().begin(), qvsdkbase::messages().end());
    if (loaded) seen.push_back("loaded");
    return seen;
  }

  cvl::test::TempDir dir_;
  const std::string real_ = (cvl::test::testDataDir() / "realdata").string() + "/";
};

// Files in sequence, the first file or a later one failing, and later files that the
// compatibility check refuses. Every zone but a file's first is given a share list, also when
// no column is shared and it holds only zeros.
TEST_F(LoadFileList, FilesInSequence) {
  const std::string made = "CONVERGE Data, CONVERGE Output File Loader: Crank (DEG) Mass (kg)";
  const std::string mech = real_ + "mech_check.out";
  const std::string open = "Unable to open datafile: " + path("missing.out");
  const std::string names = "Incompatible datasets.  Variable names are not equal";
  const std::pair<Strings, Strings> cases[] = {
      {{"two.out", "one.out"}, {made, "two A -", "two B 10", "one -", "loaded"}},
      {{"pair.out", "pair.out"},
       {"CONVERGE Data, CONVERGE Output File Loader: Mass (kg)", "pair A -", "pair B 0", "pair A -",
        "pair B 0", "loaded"}},
      {{"missing.out", "one.out"}, {"no dataset", open}},
      {{}, {"no dataset", "No data files to load"}},
      {{"one.out", "missing.out", "badrow.out"}, {made, "one -", open}},
      {{"empty.out", "one.out"},
       {"no dataset", at("empty.out", 5, "File does not contain any data points")}},
      {{mech, "one.out"},
       {"no dataset", at(mech, 2, "Invalid comment line"), at(mech, 2, "Invalid Column Row")}},
      {{"one.out", "badrow.out", "one.out"},
       {made, "one -", "badrow -",
        at("badrow.out", 7, "Invalid or missing double precision value")}},
      // Count before names before types.
      {{"two.out", "lower.out"}, {made, "two A -", "two B 10", at("lower.out", 3, names)}},
      {{"one.out", "swapped.out"}, {made, "one -", at("swapped.out", 3, names)}},
      {{"one.out", "three.out"},
       {made, "one -",
        at("three.out", 3, "Incompatible datasets.  Number of variables are not equal")}},
      {{"one.out", "trailing.out"},
       {made, "one -",
        at("trailing.out", 3, "Incompatible datasets.  Variable data types not equal")}},
  };
  for (const auto& [files, expected] : cases) {
    EXPECT_EQ(load(files), expected) << testing::PrintToString(files);
  }
}

// Each real file listed twice. Per file: the points and data types of every zone; each zone's
// name and share list; values of the last row as "zone variable value", zones of the first copy.
TEST_F(LoadFileList, RealFilesListedTwice) {
  const std::tuple<const char*, int64_t, const char*, const char*, const char*> cases[] = {
      {"amr.out", 25583, "222", "amr Region_0 -|amr Region_1 100|amr Region_0 -|amr Region_1 300|",
       "2 1 1098.0172  1 3 -1  2 2 1"},
      {"cell_count_regions.out", 14492, "22222", "cell_count_regions -|cell_count_regions -|",
       "1 2 182789  1 5 38110"},
      {"mass_balance.out", 14492, "2322222",
       "mass_balance bound_id_6 -|mass_balance bound_id_7 1111100|"
       "mass_balance bound_id_6 -|mass_balance bound_id_7 3333300|",
       "2 2 25583  1 3 -1.1538212e-02  1 6 -5.1631526e-04  2 6 -1.1021897e-02"},
      {"source_energy.out", 14492, "22222",
       "source_energy (J) -|source_energy (J/DEG) 10000|source_energy (J) 10000|"
       "source_energy (J/DEG) 10000|source_energy (J) -|source_energy (J/DEG) 50000|"
       "source_energy (J) 50000|source_energy (J/DEG) 50000|",
       "1 2 4.0496779e-02  3 4 3.9990660e-02  4 1 1098.0172"},
  };
  for (const auto& [file, points, types, zones, lastRow] : cases) {
    SCOPED_TRACE(file);
    EXPECT_EQ(load({real_ + file, real_ + file}).back(), "loaded");
    const qvsdkbase::DataSet& set = *qvsdkbase::dataSet();
    std::string seen;
    for (const qvsdkbase::Zone& zone : set.zones) {
      EXPECT_EQ(zone.points, points) << zone.name;
      EXPECT_EQ(digits(zone.types), types) << zone.name;
      seen += zoneAndShares(zone) + "|";
    }
    EXPECT_EQ(seen, zones);
    size_t zone = 0, variable = 0;
    double value = 0;
    for (std::istringstream in(lastRow); in >> zone >> variable >> value;) {
      for (const size_t z : {zone, zone + set.zones.size() / 2}) {
        const qvsdkbase::ValueArray& array = *set.zones.at(z - 1).values.at(variable - 1);
        EXPECT_DOUBLE_EQ(array.asDouble(array.size - 1), value) << "zone " << z << ", " << variable;
      }
    }
  }
}

}  // namespace
