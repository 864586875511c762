#include "addon/shell/instructions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "standins/qvsdkbase/host_control.h"

namespace {

// The entries of a '|'-separated list; "" gives none.
std::vector<std::string> split(const std::string& text) {
  std::vector<std::string> entries;
  size_t from = 0;
  for (size_t bar; !text.empty() && (bar = text.find('|', from)) != std::string::npos;
       from = bar + 1)
    entries.push_back(text.substr(from, bar - from));
  if (!text.empty()) entries.push_back(text.substr(from));
  return entries;
}

struct ParseCase {
  const char* entries;  // '|'-separated
  bool ok;
  const char* fileNames;
  const char* messages;  // I: "Invalid FILELIST command.", M: "Missing FILELIST command."
  int lastRead;          // the last entry read; none after it
};

TEST(ParseInstructions, Table) {
  const ParseCase cases[] = {
      {"STANDARDSYNTAX|1.0|FILELIST|2|a.out|b.out", true, "a.out|b.out", "", 6},
      {"|whatever|FILELIST|1|a.out", true, "a.out", "", 5},
      {"S|1.0|FILELIST|2| spaced .out |d\xe9j\xe0.out", true, " spaced .out |d\xe9j\xe0.out", "",
       6},
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
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(c.entries);
    qvsdkbase::reset();
    QvStringList list = qvsdkbase::makeStringList(split(c.entries));
    std::vector<std::string> fileNames;
    QorUtilLockOn();
    EXPECT_EQ(cvl::parseInstructions(list, fileNames), c.ok);
    QorUtilLockOff();
    qvsdkbase::freeStringList(list);

    EXPECT_EQ(fileNames, split(c.fileNames));
    std::vector<std::string> messages;
    for (const char* m = c.messages; *m != '\0'; ++m)
      messages.push_back(*m == 'I' ? "Invalid FILELIST command." : "Missing FILELIST command.");
    EXPECT_EQ(qvsdkbase::messages(), messages);
    std::vector<int> read{3};  // the positions of the entries read; none is below 3
    for (const qvsdkbase::Call& call : qvsdkbase::calls())
      if (call.function == "QorUtilStringListGetRawStringPtr")
        read.push_back(std::stoi(call.detail));
    EXPECT_EQ(read.size() == 1 ? 0 : std::ranges::max(read), c.lastRead);
    EXPECT_EQ(std::ranges::min(read), 3);
    EXPECT_EQ(qvsdkbase::lockViolations(), std::vector<std::string>{});
  }
}

}  // namespace
