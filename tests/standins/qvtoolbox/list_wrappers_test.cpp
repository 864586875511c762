// ArgList and StringList: each owns one host list, frees it, and hands it over on a move.
#include <gtest/gtest.h>

#include <utility>

#include "standins/qvsdkbase/host_control.h"
#include "standins/qvtoolbox/arg_list.h"
#include "standins/qvtoolbox/string_list.h"

namespace {

// Moving hands the host list over and leaves the source without one; assigning frees the
// target's own list first, a list moved onto itself keeps it, and the destructor frees it. open
// counts the host's lists of this kind not yet freed; append adds through a wrapper.
template <typename List>
void expectMovesHandTheListOver(const char* type, size_t (*open)(), bool (*append)(List&)) {
  SCOPED_TRACE(type);
  qvsdkbase::reset();
  QorUtilLockOn();
  {
    List a, b;
    const auto aList = a.getRef();
    b = std::move(a);
    EXPECT_EQ(open(), 1u) << "the target's own list is freed";
    List c(std::move(b));
    List& same = c;
    c = std::move(same);
    EXPECT_TRUE(a.getRef() == nullptr && b.getRef() == nullptr && !append(a)) << "moved from";
    EXPECT_TRUE(c.getRef() == aList && append(c) && open() == 1) << "moved to";
  }
  EXPECT_EQ(open(), 0u) << "destroyed";
  QorUtilLockOff();
}

TEST(ListWrappers, MovesHandTheListOver) {
  expectMovesHandTheListOver<qorvian::ArgList>(
      "ArgList", qvsdkbase::openArgLists, [](qorvian::ArgList& l) { return l.appendInt("I", 1); });
  expectMovesHandTheListOver<qorvian::StringList>(
      "StringList", qvsdkbase::openStringLists,
      [](qorvian::StringList& l) { return l.append("x"); });
}

// A wrapper that the host gave no list holds none and refuses every append, also as the list
// appended to an arg list; a host that fails to free a list does not make the destructor throw.
TEST(ListWrappers, WithoutAListEveryAppendFailsAndAFailedFreeIsDropped) {
  qvsdkbase::reset();
  QorUtilLockOn();
  qvsdkbase::injectFault("QorUtilArgListAlloc", 1, qvsdkbase::FaultKind::Fail);
  qvsdkbase::injectFault("QorUtilStringListAlloc", 1, qvsdkbase::FaultKind::Fail);
  qorvian::ArgList none;
  qorvian::StringList noStrings;
  qorvian::ArgList args;
  qorvian::StringList strings;
  EXPECT_TRUE(none.getRef() == nullptr && noStrings.getRef() == nullptr);
  EXPECT_FALSE(none.appendString("S", "x") || none.appendInt("I", 1) ||
               none.appendFunction("F", nullptr) || none.appendStringList("L", strings) ||
               args.appendStringList("L", noStrings) || noStrings.append("x"));
  // ... without handing the host a list it did not give out.
  EXPECT_EQ(qvsdkbase::violations(), std::vector<std::string>{});
  qvsdkbase::injectFault("QorUtilArgListDealloc", 1, qvsdkbase::FaultKind::BadAlloc);
  qvsdkbase::injectFault("QorUtilStringListDealloc", 1, qvsdkbase::FaultKind::BadAlloc);
  EXPECT_NO_THROW({
    qorvian::ArgList freed = std::move(args);
    qorvian::StringList freedStrings = std::move(strings);
  });
  QorUtilLockOff();
}

}  // namespace
