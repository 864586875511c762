#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "host/arg_list.h"
#include "minihost/host_control.h"

namespace {

using minihost::FaultKind;
using minihost::injectFault;

bool addZone() {
  static const QvDataType types[] = {QV_DATATYPE_DOUBLE};
  qorvian::ArgList args;
  return args.appendString("Name", "z") && args.appendInt("IMax", 3) &&
         QorUtilArgListAppendArray(args.getRef(), "VarDataType", types) == 1 &&
         QorUtilDataSetAddZoneX(args.getRef()) != 0;
}

// A host with a dataset of one double variable and one zone, and a list {"a"}.
class FaultInjectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    minihost::reset();
    QorUtilLockOn();
    list = minihost::makeStringList({"a"});
    qorvian::StringList names;
    names.append("x");
    qorvian::ArgList dataSet;
    ASSERT_TRUE(dataSet.appendString("DataSetTitle", "T") &&
                dataSet.appendString("LoaderName", "L") &&
                dataSet.appendStringList("VarNames", names));
    ASSERT_EQ(QorUtilDataSetCreateX(dataSet.getRef()), 1);
    ASSERT_TRUE(addZone());
  }
  void TearDown() override { minihost::reset(); }

  QvStringList list = nullptr;
};

TEST_F(FaultInjectionTest, EachFunctionFailsItsOwnWayOrThrowsThenWorksAgain) {
  const QvStringList l = list;
  const struct {
    const char* function;
    std::function<bool()> succeeds;
  } cases[] = {
      {"QorUtilArgListAlloc", [] { return qorvian::ArgList().getRef() != nullptr; }},
      {"QorUtilStringListAppendString", [l] { return QorUtilStringListAppendString(l, "c"); }},
      {"QorUtilStringListGetRawStringPtr", [l] { return QorUtilStringListGetRawStringPtr(l, 1); }},
      {"QorUtilDataSetAddZoneX", [] { return addZone(); }},
      {"QorUtilDataSetGetNumZones", [] { return QorUtilDataSetGetNumZones() > 0; }},
      {"QorUtilDataValueGetWritableRawPtr",
       [] {
         void* p = nullptr;
         QvDataType type = 0;
         QorUtilDataValueGetWritableRawPtr(1, 1, &p, &type);
         return p != nullptr && type == QV_DATATYPE_DOUBLE;
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.function);
    injectFault(c.function, 1, FaultKind::BadAlloc);
    EXPECT_THROW(c.succeeds(), std::bad_alloc);
    injectFault(c.function, 1, FaultKind::Fail);
    const size_t first = minihost::calls().size();
    EXPECT_FALSE(c.succeeds());
    const auto& calls = minihost::calls();
    EXPECT_TRUE(
        std::any_of(calls.begin() + static_cast<std::ptrdiff_t>(first), calls.end(),
                    [&](const minihost::Call& call) { return call.function == c.function; }))
        << "the failing call is logged";
    EXPECT_TRUE(c.succeeds());
  }
}

TEST_F(FaultInjectionTest, FaultFiresOnTheNthCallCountedFromItsInjection) {
  QorUtilStringListAppendString(list, "before");
  injectFault("QorUtilStringListAppendString", 3, FaultKind::Fail);
  injectFault("QorUtilStringListAppendString", 1, FaultKind::Fail);
  std::vector<QvBoolean> results;
  for (const char* text : {"1", "2", "3", "4"}) {
    results.push_back(QorUtilStringListAppendString(list, text));
  }
  EXPECT_EQ(results, (std::vector<QvBoolean>{0, 1, 0, 1}));
  EXPECT_EQ(minihost::readStringList(list), (std::vector<std::string>{"a", "before", "2", "4"}));
}

TEST_F(FaultInjectionTest, AppendArrayReturnsTheChosenResult) {
  static const QvDataType types[] = {QV_DATATYPE_DOUBLE};
  for (const int32_t result : {1, 0, 2, -1}) {
    qorvian::ArgList args;
    injectFault("QorUtilArgListAppendArray", 1, FaultKind::Result, result);
    EXPECT_EQ(QorUtilArgListAppendArray(args.getRef(), "VarDataType", types), result);
    EXPECT_EQ(QorUtilArgListAppendArray(args.getRef(), "VarShareZoneList", types), 1) << result;
  }
  qorvian::ArgList args;
  injectFault("QorUtilArgListAppendArray", 1, FaultKind::Fail);
  EXPECT_EQ(QorUtilArgListAppendArray(args.getRef(), "VarDataType", types), 0);
}

}  // namespace
