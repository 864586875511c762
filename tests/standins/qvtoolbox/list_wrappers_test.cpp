// ArgList and StringList: each owns one host list, handed over on a move.
#include <gtest/gtest.h>

#include <utility>

#include "standins/qvsdkbase/host_control.h"
#include "standins/qvtoolbox/arg_list.h"
#include "standins/qvtoolbox/string_list.h"

namespace {

// Moving hands the host list over and leaves the source without one; assigning frees the
// target's own list first, and a list moved onto itself stays. append adds through a wrapper,
// appendRaw through a raw handle.
template <typename List, typename Raw>
void expectMovesHandTheListOver(bool (*append)(List&), bool (*appendRaw)(Raw)) {
  qvsdkbase::reset();
  QorUtilLockOn();
  List a;
  List b;
  const Raw aList = a.getRef();
  const Raw bList = b.getRef();
  b = std::move(a);
  EXPECT_FALSE(append(a)) << "the source has no list";
  EXPECT_FALSE(appendRaw(bList)) << "the target's own list is freed";
  List c(std::move(b));
  List& same = c;
  c = std::move(same);
  EXPECT_EQ(b.getRef(), nullptr);
  EXPECT_EQ(c.getRef(), aList);
  EXPECT_TRUE(append(c) && appendRaw(aList));
}

TEST(ListWrappers, MovesHandTheListOver) {
  expectMovesHandTheListOver<qorvian::ArgList, QvArgList>(
      [](qorvian::ArgList& l) { return l.appendInt("I", 1); },
      [](QvArgList l) { return QorUtilArgListAppendInt(l, "I", 1) != 0; });
  expectMovesHandTheListOver<qorvian::StringList, QvStringList>(
      [](qorvian::StringList& l) { return l.append("x"); },
      [](QvStringList l) { return QorUtilStringListAppendString(l, "x") != 0; });
}

// A wrapper that the host gave no list refuses every append without calling the host; a host that
// fails to free a list does not make the destructor throw.
TEST(ListWrappers, WithoutAListEveryAppendFailsAndAFailedFreeIsDropped) {
  qvsdkbase::reset();
  QorUtilLockOn();
  qvsdkbase::injectFault("QorUtilArgListAlloc", 1, qvsdkbase::FaultKind::Fail);
  qvsdkbase::injectFault("QorUtilStringListAlloc", 1, qvsdkbase::FaultKind::Fail);
  qorvian::ArgList none;
  qorvian::StringList noStrings;
  qorvian::ArgList args;
  qorvian::StringList strings;
  const size_t calls = qvsdkbase::calls().size();
  EXPECT_FALSE(none.appendString("S", "x") || none.appendInt("I", 1) ||
               none.appendFunction("F", nullptr) || none.appendStringList("L", strings) ||
               args.appendStringList("L", noStrings) || noStrings.append("x"));
  EXPECT_EQ(qvsdkbase::calls().size(), calls);
  qvsdkbase::injectFault("QorUtilArgListDealloc", 1, qvsdkbase::FaultKind::BadAlloc);
  qvsdkbase::injectFault("QorUtilStringListDealloc", 1, qvsdkbase::FaultKind::BadAlloc);
  EXPECT_NO_THROW({
    qorvian::ArgList freed = std::move(args);
    qorvian::StringList freedStrings = std::move(strings);
  });
  QorUtilLockOff();
}

}  // namespace
