// The instruction parser: the file names of every FILELIST command from entry 3 on, the messages
// of a malformed or missing command, and the list left as it was.
#include "addon/shell/instructions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "standins/qvsdkbase/host_control.h"

namespace {

using Strings = std::vector<std::string>;

TEST(ParseInstructions, Table) {
  const std::string invalid = "Invalid FILELIST command.", missing = "Missing FILELIST command.";
  const struct {
    Strings entries;
    Strings fileNames;
    Strings messages;  // none when the list is accepted
  } cases[] = {
      {{"STANDARDSYNTAX", "1.0", "FILELIST", "2", "a.out", "b.out"}, {"a.out", "b.out"}, {}},
      {{"", "whatever", "FILELIST", "1", "a.out"}, {"a.out"}, {}},
      {{"S", "1.0", "FILELIST", "2", " spaced .out ", "d\xe9j\xe0.out"},
       {" spaced .out ", "d\xe9j\xe0.out"},
       {}},
      {{"S", "1.0", "filelist", "1", "a.out"}, {}, {missing}},
      {{"S", "1.0", " FILELIST", "1", "a.out"}, {}, {missing}},
      {{"S", "1.0", "FILELIST", "3", "a.out", "b.out"}, {}, {invalid, missing}},
      {{"S", "1.0", "FILELIST"}, {}, {invalid, missing}},
      {{"S", "1.0", "FILELIST", "two", "a.out", "b.out"}, {}, {invalid, missing}},
      {{"S", "1.0", "FILELIST", "99999999999", "a.out"}, {}, {invalid, missing}},
      {{"S", "1.0", "FILELIST", "2147483647", "a.out"}, {}, {invalid, missing}},
      {{"S", "1.0", "FILELIST", "0"}, {}, {missing}},
      {{"S", "1.0", "FILELIST", "-1", "FILELIST", "1", "a.out"}, {"a.out"}, {}},
      {{"S", "1.0", "FILELIST", "1", "a.out", "FILELIST", "1", "b.out"}, {"a.out", "b.out"}, {}},
      {{"S", "1.0", "NOTE", "FILELIST", "1", "a.out", "trailing"}, {"a.out"}, {}},
      {{"S", "1.0", "FILELIST", "2", "FILELIST", "3"}, {"FILELIST", "3"}, {}},
      {{"S", "1.0", "FILELIST", "1", "a.out", "FILELIST", "x", "FILELIST", "1", "b.out"},
       {"a.out"},
       {invalid}},
      {{}, {}, {missing}},
      {{"FILELIST", "1"}, {}, {missing}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.entries));
    qvsdkbase::reset();
    const QvStringList list = qvsdkbase::makeStringList(c.entries);
    Strings fileNames;
    QorUtilLockOn();
    EXPECT_EQ(cvl::parseInstructions(list, fileNames), c.messages.empty());
    QorUtilLockOff();
    EXPECT_EQ(fileNames, c.fileNames);
    EXPECT_EQ(qvsdkbase::messages(), c.messages);
    EXPECT_EQ(qvsdkbase::readStringList(list), c.entries);
    EXPECT_EQ(qvsdkbase::violations(), Strings{});
    qvsdkbase::freeStringList(list);
  }
}

}  // namespace
