#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "host/arg_list.h"
#include "host/string_list.h"
#include "minihost/host_control.h"

#if defined(__SANITIZE_ADDRESS__)
// An allocation the machine cannot give must fail as it does without the sanitizer.
extern "C" __attribute__((visibility("default"))) const char* __asan_default_options() {
  return "allocator_may_return_null=1";
}
#endif

namespace {

using minihost::dataSet;
constexpr QvDataType D = QV_DATATYPE_DOUBLE;
constexpr QvDataType I = QV_DATATYPE_INT32;

class MiniHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    minihost::reset();
    QorUtilLockOn();
  }
  void TearDown() override { minihost::reset(); }
};

bool createDataSet(const std::vector<std::string>& variables) {
  qorvian::StringList names;
  for (const auto& name : variables) names.append(name);
  qorvian::ArgList args;
  return args.appendString("DataSetTitle", "T") && args.appendString("LoaderName", "L") &&
         args.appendStringList("VarNames", names) && QorUtilDataSetCreateX(args.getRef()) != 0;
}

// Adds a zone; no share list when shares is empty.
bool addZone(int64_t points, const std::vector<QvDataType>& types,
             const std::vector<QvZoneNum>& shares = {}) {
  qorvian::ArgList args;
  return args.appendString("Name", "z") && args.appendInt("IMax", points) &&
         QorUtilArgListAppendArray(args.getRef(), "VarDataType", types.data()) == 1 &&
         (shares.empty() ||
          QorUtilArgListAppendArray(args.getRef(), "VarShareZoneList", shares.data()) == 1) &&
         QorUtilDataSetAddZoneX(args.getRef()) != 0;
}

void* values(QvZoneNum zone, QvVarNum variable, QvDataType* type) {
  void* data = &type;  // must be overwritten
  QorUtilDataValueGetWritableRawPtr(zone, variable, &data, type);
  return data;
}

TEST_F(MiniHostTest, SharedVariableUsesTheSameStorageAndOthersTheirOwn) {
  QvDataType type = 0;
  ASSERT_TRUE(createDataSet({"x", "n"}));
  ASSERT_TRUE(addZone(4, {D, I}));
  ASSERT_TRUE(addZone(4, {D, I}, {0, 1}));
  ASSERT_EQ(QorUtilDataSetGetNumZones(), 2);
  static_cast<int32_t*>(values(2, 2, &type))[3] = 42;
  static_cast<double*>(values(2, 1, &type))[0] = 1.5;
  const auto& zones = dataSet()->zones;
  EXPECT_EQ(zones[0].values[1]->asDouble(3), 42.0);
  EXPECT_EQ(zones[0].values[0]->asDouble(0), 0.0);
  EXPECT_EQ(zones[1].values[0]->asDouble(0), 1.5);
}

TEST_F(MiniHostTest, WritableRawPtrIsNullWhereThereIsNoArray) {
  QvDataType type = D;
  EXPECT_EQ(values(1, 1, &type), nullptr) << "no dataset";
  ASSERT_TRUE(createDataSet({"x", "n"}));
  ASSERT_TRUE(addZone(2, {D, I}));
  const std::pair<QvZoneNum, QvVarNum> cases[] = {{0, 1}, {2, 1}, {1, 0}, {1, 3}};
  for (const auto& [zone, variable] : cases) {
    EXPECT_EQ(values(zone, variable, &type), nullptr) << zone << ", " << variable;
    EXPECT_EQ(type, 0) << zone << ", " << variable;
  }
}

TEST_F(MiniHostTest, EveryFaultyZoneIsRefusedAndAddsNothing) {
  ASSERT_TRUE(createDataSet({"x", "n"}));
  ASSERT_TRUE(addZone(5, {D, I}));
  static const QvDataType good[] = {D, I}, badCode[] = {D, 1}, allInt[] = {I, I};
  static const QvZoneNum shareTwo[] = {0, 2}, shareNeg[] = {-1, 0}, shareFirst[] = {1, 0};
  using Fill = std::function<void(QvArgList)>;
  const Fill name = [](QvArgList a) { QorUtilArgListAppendString(a, "Name", "z"); };
  const auto imax = [](int64_t n) -> Fill {
    return [n](QvArgList a) { QorUtilArgListAppendInt(a, "IMax", n); };
  };
  const auto array = [](const char* key, const void* p) -> Fill {
    return [key, p](QvArgList a) { QorUtilArgListAppendArray(a, key, p); };
  };
  const Fill types = array("VarDataType", good);
  const Fill textIMax = [](QvArgList a) { QorUtilArgListAppendString(a, "IMax", "5"); };
  const Fill unknown = [](QvArgList a) { QorUtilArgListAppendInt(a, "JMax", 1); };
  const struct {
    const char* label;
    std::vector<Fill> fills;
  } cases[] = {
      {"no Name", {imax(5), types}},
      {"no IMax", {name, types}},
      {"no VarDataType", {name, imax(5)}},
      {"IMax 0", {name, imax(0), types}},
      {"IMax -5", {name, imax(-5), types}},
      {"type code 1", {name, imax(5), array("VarDataType", badCode)}},
      {"shares zone 2, not there", {name, imax(5), types, array("VarShareZoneList", shareTwo)}},
      {"shares zone -1", {name, imax(5), types, array("VarShareZoneList", shareNeg)}},
      {"shared type differs",
       {name, imax(5), array("VarDataType", allInt), array("VarShareZoneList", shareFirst)}},
      {"shared length differs", {name, imax(6), types, array("VarShareZoneList", shareFirst)}},
      {"unknown key", {name, imax(5), types, unknown}},
      {"IMax as text", {name, types, textIMax}},
      {"Name twice", {name, name, imax(5), types}},
  };
  for (const auto& c : cases) {
    qorvian::ArgList args;
    for (const auto& fill : c.fills) fill(args.getRef());
    EXPECT_EQ(QorUtilDataSetAddZoneX(args.getRef()), 0) << c.label;
    EXPECT_EQ(QorUtilDataSetGetNumZones(), 1) << c.label;
  }
}

TEST_F(MiniHostTest, ZoneWithoutDatasetOrMemoryIsRefused) {
  EXPECT_FALSE(addZone(1, {D}));
  ASSERT_TRUE(createDataSet({"x"}));
  for (const int64_t points : {int64_t{1} << 59, INT64_MAX}) {
    EXPECT_FALSE(addZone(points, {D})) << points;
    EXPECT_EQ(QorUtilDataSetGetNumZones(), 0) << points;
  }
}

TEST_F(MiniHostTest, ZoneBeyondTwoBillionPointsIsAddressable) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer would write shadow memory for all 8 GiB of the array";
#endif
  const int64_t points = (int64_t{1} << 31) + 16;
  QvDataType type = 0;
  ASSERT_TRUE(createDataSet({"n"}));
  ASSERT_TRUE(addZone(points, {I}));
  static_cast<int32_t*>(values(1, 1, &type))[points - 1] = -3;
  EXPECT_EQ(dataSet()->zones[0].values[0]->asDouble(points - 1), -3.0);
}

TEST_F(MiniHostTest, CreateReplacesTheDatasetAndRefusesFaultyArguments) {
  ASSERT_TRUE(createDataSet({"x"}));
  ASSERT_TRUE(addZone(1, {D}));
  ASSERT_TRUE(createDataSet({"p", "q"}));
  EXPECT_EQ(QorUtilDataSetGetNumZones(), 0);
  EXPECT_EQ(dataSet()->variables, (std::vector<std::string>{"p", "q"}));
  qorvian::StringList names;
  names.append("v");
  // Text keys, each given "t", then the names unless "VarNames" is among them.
  const std::vector<std::string> cases[] = {{"LoaderName"},
                                            {"DataSetTitle", "LoaderName", "Other"},
                                            {"DataSetTitle", "LoaderName", "VarNames"}};
  for (const auto& keys : cases) {
    qorvian::ArgList args;
    for (const auto& key : keys) args.appendString(key, "t");
    if (keys.back() != "VarNames") args.appendStringList("VarNames", names);
    EXPECT_EQ(QorUtilDataSetCreateX(args.getRef()), 0) << keys.back();
    EXPECT_EQ(dataSet()->variables.size(), 2u) << keys.back();
  }
}

void callback(QvStringList) {}

TEST_F(MiniHostTest, LoaderNeedsNameAndCallbackAndKeepsItsInstructions) {
  const auto fn = reinterpret_cast<QvFunction>(callback);
  for (const std::string missing : {"LoaderName", "LoaderCallback", ""}) {
    qorvian::ArgList args;
    if (missing != "LoaderName") args.appendString("LoaderName", "CFD");
    args.appendString("FileNameExtensions", "*.out");
    args.appendInt("LoaderCallbackVersion", 2);
    if (missing != "LoaderCallback") args.appendFunction("LoaderCallback", fn);
    args.appendFunction("LoaderSelectedCallback", fn);
    args.appendInt("AllowMultiFileSelection", 1);
    args.appendInt("LoaderAdvancedOptions", 0);
    EXPECT_EQ(QorUtilImportAddLoaderX(args.getRef()) != 0, missing.empty()) << missing;
    EXPECT_EQ(minihost::loaders().size(), missing.empty() ? 1u : 0u) << missing;
  }
  const minihost::Loader& loader = minihost::loaders()[0];
  EXPECT_EQ(loader.fileNameExtensions, "*.out");
  EXPECT_EQ(loader.callbackVersion, 2);
  EXPECT_EQ(loader.allowMultiFileSelection, 1);
  const QvStringList list = minihost::makeStringList({"STANDARDSYNTAX", "1.0"});
  EXPECT_EQ(QorUtilImportSetLoaderInstr("other", list), 0);
  EXPECT_EQ(QorUtilImportSetLoaderInstr("CFD", nullptr), 0);
  ASSERT_EQ(QorUtilImportSetLoaderInstr("CFD", list), 1);
  minihost::freeStringList(list);
  EXPECT_EQ(loader.instructions, (std::vector<std::string>{"STANDARDSYNTAX", "1.0"}));
}

// Steps: O LockOn, F LockOff, S LockStart, E LockFinish, X LockStart with a foreign handle,
// M message, B data load start, N finish, R finish with reserved 1, H host-side list.
void run(char step, QvAddOn addOn) {
  int foreign = 0;
  const std::map<char, std::function<void()>> steps{
      {'O', [] { QorUtilLockOn(); }},
      {'F', [] { QorUtilLockOff(); }},
      {'S', [=] { QorUtilLockStart(addOn); }},
      {'E', [=] { QorUtilLockFinish(addOn); }},
      {'X', [&] { QorUtilLockStart(reinterpret_cast<QvAddOn>(&foreign)); }},
      {'M', [] { QorUtilDialogErrMsg("m"); }},
      {'B', [] { QorUtilDataLoadStart(); }},
      {'N', [] { QorUtilDataLoadFinishX(nullptr, 0); }},
      {'R', [] { QorUtilDataLoadFinishX(nullptr, 1); }},
      {'H', [] { minihost::freeStringList(minihost::makeStringList({"a"})); }}};
  steps.at(step)();
}

TEST(MiniHostLocks, ViolationsAreRecordedOnlyForUnlockedOrUnpairedCalls) {
  const struct {
    std::string steps;
    std::string violation;  // empty: none expected
  } cases[] = {{"SOMBNFE", ""},
               {"H", ""},
               {"M", "QorUtilDialogErrMsg"},
               {"F", "QorUtilLockOff"},
               {"SF", "QorUtilLockOff"},
               {"OE", "QorUtilLockFinish"},
               {"X", "QorUtilLockStart"},
               {"ON", "QorUtilDataLoadFinishX"},
               {"OBR", "reserved"}};
  for (const auto& c : cases) {
    minihost::reset();
    QorUtilLockOn();
    const QvAddOn addOn = QorUtilAddOnRegister(1, "a", "v", "w");
    QorUtilLockOff();
    for (const char step : c.steps) run(step, addOn);
    const auto& violations = minihost::lockViolations();
    if (c.violation.empty()) {
      EXPECT_TRUE(violations.empty()) << c.steps << ": " << violations.front();
    } else {
      ASSERT_EQ(violations.size(), 1u) << c.steps;
      EXPECT_NE(violations[0].find(c.violation), std::string::npos)
          << c.steps << ": " << violations[0];
    }
  }
  minihost::reset();
}

TEST_F(MiniHostTest, MessagesAndLoadBracketFollowTheCalls) {
  std::vector<std::string> seen;
  minihost::setMessageSink([&](const std::string& m) { seen.push_back(m); });
  ASSERT_EQ(QorUtilDataLoadStart(), 1);
  QorUtilDialogErrMsg("one");
  QorUtilDialogErrMsg("two");
  EXPECT_EQ(minihost::loadDepth(), 1);
  EXPECT_EQ(QorUtilDataLoadFinishX(qorvian::ArgList().getRef(), 0), 1);
  EXPECT_EQ(minihost::loadDepth(), 0);
  minihost::injectFault("QorUtilDataLoadFinishX", 1, minihost::FaultKind::Fail);
  QorUtilDataLoadStart();
  EXPECT_EQ(QorUtilDataLoadFinishX(nullptr, 0), 0);
  EXPECT_EQ(minihost::loadDepth(), 0) << "a failed finish still ends the load";
  EXPECT_EQ(minihost::messages(), (std::vector<std::string>{"one", "two"}));
  EXPECT_EQ(seen, minihost::messages());
}

TEST_F(MiniHostTest, ResetForgetsEverythingAndRefusesStaleHandles) {
  qorvian::ArgList args;
  ASSERT_TRUE(createDataSet({"x"}));
  minihost::injectFault("QorUtilDataSetGetNumZones", 1, minihost::FaultKind::BadAlloc);
  minihost::reset();
  EXPECT_TRUE(dataSet() == nullptr && minihost::calls().empty() && minihost::lockDepth() == 0);
  QorUtilLockOn();
  EXPECT_EQ(QorUtilDataSetGetNumZones(), 0);
  EXPECT_FALSE(args.appendInt("I", 1));
}

}  // namespace
