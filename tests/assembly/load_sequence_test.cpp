// The load sequence and zone creation, end to end: real and made-up files into the stand-in host.
#include "assembly/load_sequence.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "minihost/host_control.h"
#include "tests/support/temp_dir.h"

namespace {

using minihost::FaultKind;

std::string lineMessage(const std::string& path, uint64_t line, std::string_view message) {
  return "File \"" + path + "\", line " + std::to_string(line) + ": " + std::string(message);
}

double lastValue(size_t zone, size_t var) {
  const minihost::ValueArray& array = *minihost::dataSet()->zones.at(zone - 1).values.at(var - 1);
  return array.asDouble(array.size - 1);
}

std::vector<std::string> zoneNames() {
  std::vector<std::string> names;
  if (minihost::dataSet() == nullptr) return names;
  for (const minihost::Zone& zone : minihost::dataSet()->zones) names.push_back(zone.name);
  return names;
}

constexpr std::string_view kHeader = "# CONVERGE\n# column 1 2\n# Crank Mass\n# (DEG) (kg)\n";

class LoadFileListTest : public testing::Test {
 protected:
  void SetUp() override {
    minihost::reset();
    QorUtilLockOn();
    dir_.write("one.out", std::string(kHeader) + "#\n3 30\n4 40\n5 50\n");
    dir_.write("two.out",
               "# CONVERGE\n# column 1 2 3\n# Crank Mass Mass\n# (DEG) (kg) (kg)\n"
               "# (none) A B\n1 10 20\n2 11 21\n");
    dir_.write("other.out", "# CONVERGE\n# column 1 2\n# Crank Temp\n# (DEG) (K)\n#\n1 2\n");
    dir_.write("empty.out", std::string(kHeader) + "#\n");
    dir_.write("badrow.out", std::string(kHeader) + "#\n6 60\n7 x\n");
  }
  void TearDown() override { QorUtilLockOff(); }

  std::string path(const std::string& name) const { return (dir_.path() / name).string(); }
  bool load(const std::vector<std::string>& names) const {
    std::vector<std::string> paths;
    for (const std::string& name : names) paths.push_back(path(name));
    return cvl::loadFileList(paths);
  }

  cvltest::TempDir dir_;
};

TEST_F(LoadFileListTest, SequencesOfFiles) {
  struct Case {
    std::vector<std::string> files;
    std::vector<std::string> zones;  // the dataset's zones after the load
    const char* faultFile;           // null: the load succeeds
    uint64_t line;                   // 0: a message without line, followed by the file's name
    std::string_view message;
    bool dataSet = true;
  };
  constexpr std::string_view kNames = "Incompatible datasets.  Variable names are not equal";
  constexpr std::string_view kOpen = "Unable to open datafile: ";
  const Case cases[] = {
      {{"one.out"}, {"one"}, nullptr, 0, ""},
      {{"two.out", "one.out"}, {"two A", "two B", "one"}, nullptr, 0, ""},
      {{"one.out", "one.out"}, {"one", "one"}, nullptr, 0, ""},
      {{"two.out", "one.out", "two.out"},
       {"two A", "two B", "one", "two A", "two B"},
       nullptr,
       0,
       ""},
      {{"missing.out", "one.out"}, {}, "missing.out", 0, kOpen, false},
      {{"one.out", "missing.out", "badrow.out"}, {"one"}, "missing.out", 0, kOpen},
      {{"empty.out", "one.out"},
       {},
       "empty.out",
       5,
       "File does not contain any data points",
       false},
      {{"two.out", "other.out"}, {"two A", "two B"}, "other.out", 3, kNames},
      {{"one.out", "one.out", "other.out"}, {"one", "one"}, "other.out", 3, kNames},
      {{"one.out", "badrow.out", "one.out"},
       {"one", "badrow"},
       "badrow.out",
       7,
       "Invalid or missing double precision value"},
      {{}, {}, "", 0, "No data files to load", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.files));
    SetUp();
    EXPECT_EQ(load(c.files), c.faultFile == nullptr);
    const std::string file = c.faultFile == nullptr || *c.faultFile == 0 ? "" : path(c.faultFile);
    EXPECT_EQ(minihost::messages(),
              c.faultFile == nullptr ? std::vector<std::string>{}
              : c.line == 0          ? std::vector<std::string>{std::string(c.message) + file}
                            : std::vector<std::string>{lineMessage(file, c.line, c.message)});
    EXPECT_EQ(minihost::dataSet() != nullptr, c.dataSet);
    EXPECT_EQ(zoneNames(), c.zones);
  }
}

TEST_F(LoadFileListTest, HostCallsValuesAndWhatStaysAfterAFault) {
  EXPECT_FALSE(load({"two.out", "one.out", "badrow.out"}));
  const minihost::DataSet& set = *minihost::dataSet();
  EXPECT_EQ(set.title, "CONVERGE Data");
  EXPECT_EQ(set.loaderName, "CONVERGE Output File Loader");
  EXPECT_EQ(set.variables, (std::vector<std::string>{"Crank (DEG)", "Mass (kg)"}));
  std::string log;  // the arg-list keys, and the dataset and zones they made
  for (const minihost::Call& call : minihost::calls()) {
    if (call.function.starts_with("QorUtilArgListAppend")) log += call.detail + ",";
    if (call.function.starts_with("QorUtilDataSet") && call.function.ends_with("X")) log += ";";
  }
  EXPECT_EQ(log,
            "DataSetTitle,LoaderName,VarNames,;Name,IMax,VarDataType,;"
            "Name,IMax,VarDataType,VarShareZoneList,;Name,IMax,VarDataType,;"
            "Name,IMax,VarDataType,;");
  ASSERT_EQ(set.zones.size(), 4u);
  EXPECT_EQ(set.zones[1].shareZones, (std::vector<QvZoneNum>{1, 0}));
  EXPECT_EQ(set.zones[1].values[0], set.zones[0].values[0]);
  EXPECT_EQ(set.zones[3].values[0]->asDouble(0), 6);
  EXPECT_EQ(set.zones[3].values[0]->asDouble(1), 7);  // the faulty row's first value stays
  EXPECT_EQ(set.zones[3].values[1]->asDouble(1), 0);
  EXPECT_EQ(set.zones[2].values[1]->asDouble(2), 50);
}

TEST_F(LoadFileListTest, HostRefusals) {
  struct Case {
    const char* function;
    int64_t nth;
    FaultKind kind;
    int32_t result;
    std::vector<std::string> zones;
    const char* message;  // null: out of memory passes through
  };
  constexpr const char* kCreate = "Unable to create the dataset";
  constexpr const char* kZones = "Unable to add zones to the dataset";
  // AppendString: title, loader name, then one per zone name; AppendArray: the types of each
  // zone, the share list of every zone after a file's first.
  const Case cases[] = {
      {"QorUtilDataSetCreateX", 1, FaultKind::Fail, 0, {}, kCreate},
      {"QorUtilStringListAppendString", 2, FaultKind::Fail, 0, {}, kCreate},
      {"QorUtilArgListAppendString", 2, FaultKind::Fail, 0, {}, kCreate},
      {"QorUtilArgListAppendStringList", 1, FaultKind::Fail, 0, {}, kCreate},
      {"QorUtilDataSetAddZoneX", 2, FaultKind::Fail, 0, {"two A"}, kZones},
      {"QorUtilArgListAppendString", 4, FaultKind::Fail, 0, {"two A"}, kZones},
      {"QorUtilArgListAppendInt", 1, FaultKind::Fail, 0, {}, kZones},
      {"QorUtilArgListAppendArray", 1, FaultKind::Result, 2, {}, kZones},
      {"QorUtilArgListAppendArray", 3, FaultKind::Result, -1, {"two A"}, kZones},
      {"QorUtilArgListAppendArray", 5, FaultKind::Result, 0, {"two A", "two B", "two A"}, kZones},
      {"QorUtilArgListAlloc", 3, FaultKind::Fail, 0, {"two A"}, kZones},
      {"QorUtilArgListAppendArray", 3, FaultKind::BadAlloc, 0, {"two A"}, nullptr},
      {"QorUtilDataValueGetWritableRawPtr",
       3,
       FaultKind::Fail,
       0,
       {"two A", "two B"},
       "Unable to access the values of the dataset"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.function) + " #" + std::to_string(c.nth));
    SetUp();
    minihost::injectFault(c.function, c.nth, c.kind, c.result);
    if (c.message == nullptr) {
      EXPECT_THROW(load({"two.out", "two.out"}), std::bad_alloc);
    } else {
      EXPECT_FALSE(load({"two.out", "two.out"}));
    }
    EXPECT_EQ(minihost::messages(), c.message == nullptr ? std::vector<std::string>{}
                                                         : std::vector<std::string>{c.message});
    EXPECT_EQ(zoneNames(), c.zones);
  }
}

TEST_F(LoadFileListTest, RealFilesListedTwice) {
  struct Case {
    const char* file;
    std::vector<std::string> zones;
    std::vector<QvDataType> types;
    std::vector<QvZoneNum> shareList;  // of every zone after the file's first, for the first copy
    std::vector<std::pair<size_t, size_t>> checks;  // zone, variable of the last row's value...
    std::vector<double> lastRow;                    // ...in the first copy
  };
  const Case cases[] = {
      {"amr.out",
       {"amr Region_0", "amr Region_1"},
       {2, 2, 2},
       {1, 0, 0},
       {{2, 1}, {1, 3}, {2, 2}},
       {1098.0172, -1, 1}},
      {"cell_count_regions.out",
       {"cell_count_regions"},
       {2, 2, 2, 2, 2},
       {},
       {{1, 2}, {1, 5}},
       {182789, 38110}},
      {"mass_balance.out",
       {"mass_balance bound_id_6", "mass_balance bound_id_7"},
       {2, 3, 2, 2, 2, 2, 2},
       {1, 1, 1, 1, 1, 0, 0},
       {{2, 2}, {1, 3}, {1, 6}, {2, 6}},
       {25583, -1.1538212e-02, -5.1631526e-04, -1.1021897e-02}},
      {"source_energy.out",
       {"source_energy (J)", "source_energy (J/DEG)", "source_energy (J)", "source_energy (J/DEG)"},
       {2, 2, 2, 2, 2},
       {1, 0, 0, 0, 0},
       {{1, 2}, {3, 4}, {4, 1}},
       {4.0496779e-02, 3.9990660e-02, 1098.0172}},
  };
  const std::string dir = (cvltest::testDataDir() / "realdata").string() + "/";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    SetUp();
    EXPECT_TRUE(cvl::loadFileList({dir + c.file, dir + c.file}));
    EXPECT_TRUE(minihost::messages().empty());
    const minihost::DataSet& set = *minihost::dataSet();
    EXPECT_EQ(set.variables.size(), c.types.size());
    ASSERT_EQ(set.zones.size(), 2 * c.zones.size());
    const size_t copyZones = c.zones.size();
    for (size_t k = 0; k < set.zones.size(); ++k) {
      const minihost::Zone& zone = set.zones[k];
      EXPECT_EQ(zone.name, c.zones[k % copyZones]) << k;
      EXPECT_EQ(zone.points, c.file[0] == 'a' ? 25583 : 14492) << k;
      EXPECT_EQ(zone.types, c.types) << k;
      // Later zones share with their own copy's first zone: 1, or copyZones + 1.
      std::vector<QvZoneNum> share(c.types.size(), 0);
      if (k % copyZones != 0) share = c.shareList;
      for (QvZoneNum& z : share) z *= static_cast<QvZoneNum>(k < copyZones ? 1 : copyZones + 1);
      EXPECT_EQ(zone.shareZones, share) << k;
    }
    for (size_t i = 0; i < c.checks.size(); ++i) {
      const auto [zone, var] = c.checks[i];
      EXPECT_DOUBLE_EQ(lastValue(zone, var), c.lastRow[i]) << zone << " " << var;
      EXPECT_DOUBLE_EQ(lastValue(zone + copyZones, var), c.lastRow[i]) << zone << " " << var;
    }
  }
}

TEST_F(LoadFileListTest, MechanismFileIsRefused) {
  const std::string mech = (cvltest::testDataDir() / "realdata" / "mech_check.out").string();
  EXPECT_FALSE(cvl::loadFileList({mech, path("one.out")}));
  EXPECT_EQ(minihost::dataSet(), nullptr);
  ASSERT_FALSE(minihost::messages().empty());
  for (const std::string& message : minihost::messages()) {
    EXPECT_EQ(message.find(lineMessage(mech, 2, "")), 0u) << message;
  }
}

}  // namespace
