#include "addon/instructions.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "tests/addon/addon_test_support.h"

namespace {

struct ParseCase {
  const char* entries;  // '|'-separated
  bool ok;
  const char* fileNames;
  const char* messages;  // I: "Invalid FILELIST command.", M: "Missing FILELIST command."
  int lastRead;          // the last entry read; none after it
};

const ParseCase kCases[] = {
    {"STANDARDSYNTAX|1.0|FILELIST|2|a.out|b.out", true, "a.out|b.out", "", 6},
    {"|whatever|FILELIST|1|a.out", true, "a.out", "", 5},
    {"S|1.0|FILELIST|2| spaced .out |d\xe9j\xe0.out", true, " spaced .out |d\xe9j\xe0.out", "", 6},
    {"S|1.0|filelist|1|a.out", false, "", "M", 5},
    {"S|1.0| FILELIST|1|a.out", false, "", "M", 5},
    {"S|1.0|FILELIST|3|a.out|b.out", false, "", "IM", 4},
    {"S|1.0|FILELIST", false, "", "IM", 3},
    {"S|1.0|FILELIST|two|a.out|b.out", false, "", "IM", 4},
    {"S|1.0|FILELIST|99999999999|a.out", false, "", "IM", 4},
    {"S|1.0|FILELIST|2147483647|a.out", false, "", "IM", 4},
    {"S|1.0|FILELIST|0", false, "", "M", 4},
    {"S|1.0|FILELIST|-1|FILELIST|1|a.out", true, "a.out", "", 7},
    {"S|1.0|FILELIST|1|a.out|FILELIST|1|b.out", true, "a.out|b.out", "", 8},
    {"S|1.0|NOTE|FILELIST|1|a.out|trailing", true, "a.out", "", 7},
    {"S|1.0|FILELIST|2|FILELIST|3", true, "FILELIST|3", "", 6},
    {"S|1.0|FILELIST|1|a.out|FILELIST|x|FILELIST|1|b.out", false, "a.out", "I", 7},
    {"", false, "", "M", 0},
    {"FILELIST|1", false, "", "M", 0},
};

TEST(ParseInstructions, Table) {
  for (const ParseCase& c : kCases) {
    SCOPED_TRACE(c.entries);
    qvsdkbase::reset();
    QvStringList list = qvsdkbase::makeStringList(cvltest::split(c.entries));
    std::vector<std::string> fileNames;
    QorUtilLockOn();
    EXPECT_EQ(cvl::parseInstructions(list, fileNames), c.ok);
    QorUtilLockOff();
    qvsdkbase::freeStringList(list);

    EXPECT_EQ(fileNames, cvltest::split(c.fileNames));
    std::vector<std::string> messages;
    for (const char* m = c.messages; *m != '\0'; ++m)
      messages.push_back(*m == 'I' ? "Invalid FILELIST command." : "Missing FILELIST command.");
    EXPECT_EQ(qvsdkbase::messages(), messages);
    std::vector<int> read;  // the positions of the entries read
    for (const std::string& call : cvltest::callsSince(0, "QorUtilStringListGetRawStringPtr"))
      read.push_back(std::stoi(call.substr(call.find(' ') + 1)));
    EXPECT_EQ(read.empty() ? 0 : std::ranges::max(read), c.lastRead);
    EXPECT_GE(read.empty() ? 3 : std::ranges::min(read), 3);
    cvltest::expectHostAtRest();
  }
}

}  // namespace
