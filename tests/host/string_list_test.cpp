#include "host/string_list.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "minihost/host_control.h"

namespace {

class StringListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    minihost::reset();
    QorUtilLockOn();
  }
  void TearDown() override { minihost::reset(); }
};

TEST_F(StringListTest, EntriesAreNumberedFromOneAndOutOfRangeIsNull) {
  qorvian::StringList list;
  for (const char* text : {"a", "b", "c"}) ASSERT_TRUE(list.append(text));
  const struct {
    QvCount position;
    const char* expected;
  } cases[] = {{1, "a"}, {3, "c"}, {0, nullptr}, {4, nullptr}, {-1, nullptr}, {INT64_MAX, nullptr}};
  for (const auto& c : cases) {
    const char* text = QorUtilStringListGetRawStringPtr(list.getRef(), c.position);
    EXPECT_STREQ(text, c.expected) << "position " << c.position;
  }
}

TEST_F(StringListTest, HostKeepsCopiesAndAppendCopiesEverySourceEntry) {
  qorvian::StringList target;
  std::string text = "first";
  ASSERT_EQ(QorUtilStringListAppendString(target.getRef(), text.c_str()), 1);
  text[0] = 'X';
  const QvStringList source = minihost::makeStringList({"x", "y"});
  ASSERT_EQ(QorUtilStringListAppend(target.getRef(), source), 1);
  minihost::freeStringList(source);
  ASSERT_EQ(QorUtilStringListAppend(target.getRef(), target.getRef()), 1);
  EXPECT_EQ(minihost::readStringList(target.getRef()),
            (std::vector<std::string>{"first", "x", "y", "first", "x", "y"}));
}

TEST_F(StringListTest, DeallocClearsTheHandleAndForgetsTheList) {
  QvStringList list = QorUtilStringListAlloc();
  const QvStringList stale = list;
  QorUtilStringListDealloc(&list);
  EXPECT_EQ(list, nullptr);
  QorUtilStringListDealloc(&list);
  QorUtilStringListDealloc(nullptr);
  EXPECT_EQ(QorUtilStringListAppendString(stale, "x"), 0);
  EXPECT_EQ(QorUtilStringListGetCount(stale), 0);
}

TEST_F(StringListTest, MoveHandsTheListOverAndFreesTheTargetsOwn) {
  qorvian::StringList a;
  qorvian::StringList b;
  const QvStringList aList = a.getRef();
  const QvStringList bList = b.getRef();
  b = std::move(a);
  EXPECT_EQ(a.getRef(), nullptr);
  EXPECT_FALSE(a.append("x"));
  EXPECT_EQ(QorUtilStringListGetCount(bList), 0) << "b's own list is freed";
  EXPECT_EQ(QorUtilStringListAppendString(bList, "x"), 0) << "b's own list is freed";
  qorvian::StringList c(std::move(b));
  ASSERT_EQ(c.getRef(), aList);
  EXPECT_TRUE(c.append("y"));
  EXPECT_EQ(minihost::readStringList(aList), std::vector<std::string>{"y"});
}

}  // namespace
