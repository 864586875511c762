// ArgList and StringList: each owns one host list, handed over on a move.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "host/arg_list.h"
#include "host/string_list.h"
#include "qvsdkbase/host_control.h"

namespace {

// Moving hands the host list over and leaves the source without one; assigning frees the
// target's own list first. append adds through a wrapper, appendRaw through a raw handle.
template <typename List>
void expectMovesHandTheListOver(const char* name, bool (*append)(List&),
                                bool (*appendRaw)(decltype(List().getRef()))) {
  SCOPED_TRACE(name);
  qvsdkbase::reset();
  QorUtilLockOn();
  List a;
  List b;
  const auto aList = a.getRef();
  const auto bList = b.getRef();
  b = std::move(a);
  EXPECT_FALSE(append(a)) << "the source has no list";
  EXPECT_FALSE(appendRaw(bList)) << "the target's own list is freed";
  List c(std::move(b));
  EXPECT_EQ(b.getRef(), nullptr);
  EXPECT_EQ(c.getRef(), aList);
  EXPECT_TRUE(append(c) && appendRaw(aList));
}

TEST(ListWrappers, MovesHandTheListOver) {
  expectMovesHandTheListOver<qorvian::ArgList>(
      "ArgList", [](qorvian::ArgList& l) { return l.appendInt("I", 1); },
      [](QvArgList l) { return QorUtilArgListAppendInt(l, "I", 1) != 0; });
  expectMovesHandTheListOver<qorvian::StringList>(
      "StringList", [](qorvian::StringList& l) { return l.append("x"); },
      [](QvStringList l) { return QorUtilStringListAppendString(l, "x") != 0; });
}

}  // namespace
