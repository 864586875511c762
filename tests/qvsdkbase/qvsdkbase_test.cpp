// The stand-in host: datasets and zones, string lists, loaders, the lock, injected faults.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "host/arg_list.h"
#include "host/string_list.h"
#include "qvsdkbase/host_control.h"

namespace {

using enum qvsdkbase::FaultKind;
constexpr QvDataType D = QV_DATATYPE_DOUBLE;
constexpr QvDataType I = QV_DATATYPE_INT32;

class MiniHost : public testing::Test {
 protected:
  void SetUp() override {
    qvsdkbase::reset();
    QorUtilLockOn();
  }
};

bool createDataSet(const std::vector<std::string>& variables) {
  qorvian::StringList names;
  for (const auto& name : variables) names.append(name);
  qorvian::ArgList args;
  return args.appendString("DataSetTitle", "T") && args.appendString("LoaderName", "L") &&
         args.appendStringList("VarNames", names) && QorUtilDataSetCreateX(args.getRef()) != 0;
}

// Adds a zone of points values per variable; no share list when shares is empty.
bool addZone(int64_t points, const std::vector<QvDataType>& types,
             const std::vector<QvZoneNum>& shares = {}) {
  qorvian::ArgList args;
  return args.appendString("Name", "z") && args.appendInt("IMax", points) &&
         QorUtilArgListAppendArray(args.getRef(), "VarDataType", types.data()) == 1 &&
         (shares.empty() ||
          QorUtilArgListAppendArray(args.getRef(), "VarShareZoneList", shares.data()) == 1) &&
         QorUtilDataSetAddZoneX(args.getRef()) != 0;
}

TEST_F(MiniHost, SharedVariableUsesTheSameStorageAndOthersTheirOwn) {
  EXPECT_FALSE(addZone(4, {D, I})) << "no dataset";
  ASSERT_TRUE(createDataSet({"x", "n"}) && addZone(4, {D, I}) && addZone(4, {D, I}, {0, 1}));
  const auto& zones = qvsdkbase::dataSet()->zones;
  EXPECT_EQ(zones[1].values[1], zones[0].values[1]);
  EXPECT_NE(zones[1].values[0], zones[0].values[0]);
}

TEST_F(MiniHost, EveryFaultyZoneIsRefusedAndAddsNothing) {
  ASSERT_TRUE(createDataSet({"x", "n"}) && addZone(5, {D, I}));
  static const QvDataType good[] = {D, I}, badCode[] = {D, 1}, allInt[] = {I, I};
  static const QvZoneNum shareOne[] = {1, 0}, shareTwo[] = {0, 2};
  // Per argument in order: N "Name"; a digit, "IMax" of that many points; T, b, i "VarDataType"
  // of good, badCode or allInt; s, S "VarShareZoneList" of shareOne or shareTwo; J "JMax".
  for (const std::string zone :
       {"5T", "NT", "N5", "N0T", "N5b", "N5TS", "N5is", "N6Ts", "N5TJ", "NN5T"}) {
    qorvian::ArgList args;
    const QvArgList l = args.getRef();
    for (const char c : zone) {
      if (c == 'N') QorUtilArgListAppendString(l, "Name", "z");
      if (c >= '0' && c <= '9') QorUtilArgListAppendInt(l, "IMax", c - '0');
      if (c == 'T') QorUtilArgListAppendArray(l, "VarDataType", good);
      if (c == 'b') QorUtilArgListAppendArray(l, "VarDataType", badCode);
      if (c == 'i') QorUtilArgListAppendArray(l, "VarDataType", allInt);
      if (c == 's') QorUtilArgListAppendArray(l, "VarShareZoneList", shareOne);
      if (c == 'S') QorUtilArgListAppendArray(l, "VarShareZoneList", shareTwo);
      if (c == 'J') QorUtilArgListAppendInt(l, "JMax", 1);
    }
    EXPECT_EQ(QorUtilDataSetAddZoneX(l), 0) << zone;
    EXPECT_EQ(QorUtilDataSetGetNumZones(), 1) << zone;
  }
}

TEST_F(MiniHost, StringListEntriesAreNumberedFromOneAndDeallocClearsTheHandle) {
  QvStringList list = QorUtilStringListAlloc();
  for (const char* text : {"a", "b", "c"}) QorUtilStringListAppendString(list, text);
  const std::pair<QvCount, const char*> cases[] = {
      {1, "a"}, {3, "c"}, {0, nullptr}, {4, nullptr}, {-1, nullptr}, {INT64_MAX, nullptr}};
  for (const auto& [position, expected] : cases) {
    EXPECT_STREQ(QorUtilStringListGetRawStringPtr(list, position), expected) << position;
  }
  const QvStringList stale = list;
  QorUtilStringListDealloc(&list);
  EXPECT_EQ(list, nullptr);
  EXPECT_EQ(QorUtilStringListGetRawStringPtr(stale, 1), nullptr);
}

TEST_F(MiniHost, LoaderIsRefusedWithoutNameOrCallback) {
  for (const std::string missing : {"LoaderName", "LoaderCallback", ""}) {
    qorvian::ArgList args;
    if (missing != "LoaderName") args.appendString("LoaderName", "CFD");
    if (missing != "LoaderCallback") args.appendFunction("LoaderCallback", QorUtilLockOn);
    args.appendInt("LoaderCallbackVersion", 2);
    EXPECT_EQ(QorUtilImportAddLoaderX(args.getRef()) != 0, missing.empty()) << missing;
    EXPECT_EQ(qvsdkbase::loaders().size(), missing.empty() ? 1u : 0u) << missing;
  }
}

// Steps: O LockOn, F LockOff, S LockStart, E LockFinish, X LockStart with a foreign handle,
// M message, B data load start, N finish, R finish with reserved argument 1; after the colon, the
// violation recorded (none when empty).
TEST(MiniHostLock, ViolationsAreRecordedOnlyForUnlockedOrUnpairedCalls) {
  for (const std::string c : {"SOMBNFE:", "M:QorUtilDialogErrMsg", "F:QorUtilLockOff",
                              "SF:QorUtilLockOff", "OE:QorUtilLockFinish", "X:QorUtilLockStart",
                              "ON:QorUtilDataLoadFinishX", "OBR:reserved"}) {
    qvsdkbase::reset();
    QorUtilLockOn();
    const QvAddOn addOn = QorUtilAddOnRegister(1, "a", "v", "w");
    QorUtilLockOff();
    int foreign = 0;
    for (const char step : c.substr(0, c.find(':'))) {
      if (step == 'O') QorUtilLockOn();
      if (step == 'F') QorUtilLockOff();
      if (step == 'S') QorUtilLockStart(addOn);
      if (step == 'E') QorUtilLockFinish(addOn);
      if (step == 'X') QorUtilLockStart(reinterpret_cast<QvAddOn>(&foreign));
      if (step == 'M') QorUtilDialogErrMsg("m");
      if (step == 'B') QorUtilDataLoadStart();
      if (step == 'N') QorUtilDataLoadFinishX(nullptr, 0);
      if (step == 'R') QorUtilDataLoadFinishX(nullptr, 1);
    }
    const auto& violations = qvsdkbase::lockViolations();
    ASSERT_EQ(violations.size(), c.ends_with(':') ? 0u : 1u) << c;
    EXPECT_TRUE(c.ends_with(':') ||
                violations[0].find(c.substr(c.find(':') + 1)) != std::string::npos)
        << c << ": " << violations[0];
  }
}

// Faults armed at once each hit the nth call from their injection, once; every call is logged.
TEST_F(MiniHost, FaultsHitTheNthCallFromTheirInjection) {
  qorvian::ArgList args;
  const auto append = [&] { return QorUtilArgListAppendArray(args.getRef(), "K", &D); };
  ASSERT_EQ(append(), 1);
  qvsdkbase::injectFault("QorUtilArgListAppendArray", 4, Result, 2);
  qvsdkbase::injectFault("QorUtilArgListAppendArray", 2, Result, -1);
  qvsdkbase::injectFault("QorUtilArgListAppendArray", 1, Fail);
  qvsdkbase::injectFault("QorUtilArgListAppendArray", 5, BadAlloc);
  std::vector<int32_t> results;
  for (int call = 0; call < 4; ++call) results.push_back(append());
  EXPECT_EQ(results, (std::vector<int32_t>{0, -1, 1, 2}));
  EXPECT_THROW(append(), std::bad_alloc);
  EXPECT_EQ(append(), 1);
  EXPECT_EQ(std::ranges::count(qvsdkbase::calls(), "QorUtilArgListAppendArray",
                               &qvsdkbase::Call::function),
            7);
}

}  // namespace
