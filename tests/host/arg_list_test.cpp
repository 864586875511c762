#include "host/arg_list.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "minihost/host_control.h"

namespace {

class ArgListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    minihost::reset();
    QorUtilLockOn();
  }
  void TearDown() override { minihost::reset(); }
};

void noop() {}

TEST_F(ArgListTest, StringListIsCopiedWhenAppended) {
  qorvian::StringList names;
  ASSERT_TRUE(names.append("a"));
  qorvian::ArgList args;
  ASSERT_TRUE(args.appendString("DataSetTitle", "T") && args.appendString("LoaderName", "L") &&
              args.appendStringList("VarNames", names));
  ASSERT_TRUE(names.append("b"));
  ASSERT_EQ(QorUtilDataSetCreateX(args.getRef()), 1);
  EXPECT_EQ(minihost::dataSet()->variables, std::vector<std::string>{"a"});
}

TEST_F(ArgListTest, WithoutAHostListEveryAppendFailsWithoutCallingTheHost) {
  minihost::injectFault("QorUtilArgListAlloc", 1, minihost::FaultKind::Fail);
  qorvian::ArgList args;
  ASSERT_EQ(args.getRef(), nullptr);
  qorvian::StringList names;
  const size_t callsBefore = minihost::calls().size();
  EXPECT_FALSE(args.appendString("S", "x") || args.appendInt("I", 1) ||
               args.appendFunction("F", noop) || args.appendStringList("L", names));
  EXPECT_EQ(minihost::calls().size(), callsBefore);
}

TEST_F(ArgListTest, MoveHandsTheListOverAndFreesTheTargetsOwn) {
  qorvian::ArgList a;
  qorvian::ArgList b;
  const QvArgList aList = a.getRef();
  const QvArgList bList = b.getRef();
  b = std::move(a);
  EXPECT_EQ(a.getRef(), nullptr);
  EXPECT_EQ(QorUtilArgListAppendInt(bList, "I", 1), 0) << "b's own list is freed";
  qorvian::ArgList c(std::move(b));
  EXPECT_EQ(b.getRef(), nullptr);
  ASSERT_EQ(c.getRef(), aList);
  EXPECT_TRUE(c.appendInt("I", 1));
}

}  // namespace
