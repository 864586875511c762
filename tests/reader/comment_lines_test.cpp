// Banner line and column row: what they accept, and the exact messages of what they refuse.
#include "reader/comment_lines.h"

#include <gtest/gtest.h>

#include "tests/support/header_reading.h"

namespace {

using cvltest::ExpectedMessage;

struct Case {
  const char* text;  // lines 1 and 2
  int32_t numColumns;
  std::vector<ExpectedMessage> messages;  // none: both lines accepted
};

const Case kCases[] = {
    {"# converge 4.0.3/ Run Date\n# Column 1 2 3\n", 3, {}},
    {"   #\tCONVERGE\n  #   COLUMN 1\t2 \n", 2, {}},
    {"# CONVERGE\n# column\n", 0, {}},
    {"#CONVERGE\n# column 1\n", 0, {{1, "Invalid comment line"}}},
    {"\n# column 1\n", 0, {{1, "Invalid comment line"}}},
    {"## CONVERGE\n", 0, {{1, "Invalid comment line"}}},
    {"# CONVERGEX\n# column 1\n", 0, {{0, "Only allowed to read in CONVERGE generated out files"}}},
    {"#\n# column 1\n", 0, {{0, "Only allowed to read in CONVERGE generated out files"}}},
    {"# CONVERGE\n",
     0,
     {{1, "Unexpected end-of-file when processing comment line"}, {1, "Invalid Column Row"}}},
    {"# CONVERGE\n\n", 0, {{2, "Invalid comment line"}, {2, "Invalid Column Row"}}},
    {"# CONVERGE\n# columns 1\n", 0, {{2, "Invalid Column Row"}}},
    {"# CONVERGE\n#\n", 0, {{2, "Invalid Column Row"}}},
    {"# CONVERGE\n# column 1 3\n", 0, {{2, "Invalid Column Row"}}},
    {"# CONVERGE\n# column 0 1\n", 0, {{2, "Invalid Column Row"}}},
    {"# CONVERGE\n# column 1 2 x 3\n", 0, {{2, "Invalid Column Row"}}},
    {"# CONVERGE\n# column 1 2 2.5\n", 0, {{2, "Invalid Column Row"}}},
};

TEST(CommentLines, BannerAndColumnRow) {
  cvltest::TempDir dir;
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    const auto r = cvltest::readHeaderText(dir, "case.out", c.text, [](auto& file, auto& info) {
      return cvl::readBannerLine(file, info) && cvl::readColumnRow(file, info);
    });
    EXPECT_EQ(r.messages, cvltest::dialogTexts(r.path, c.messages));
    EXPECT_EQ(r.ok, c.messages.empty());
    if (c.messages.empty()) {
      EXPECT_EQ(r.info.title, "CONVERGE Data");
      EXPECT_EQ(r.info.numColumns, c.numColumns);
      EXPECT_EQ(r.lineNumber, 2u);
    }
  }
}

// The scanner that readCommentLine fills keeps the line after the file has moved on.
TEST(CommentLines, ScannerOutlivesTheNextRead) {
  cvltest::TempDir dir;
  const auto r = cvltest::readHeaderText(dir, "case.out", "# a b\n# c\n", [](auto& file, auto&) {
    qorvian::Scanner first;
    qorvian::Scanner second;
    return cvl::readCommentLine(file, first) && cvl::readCommentLine(file, second) &&
           first.nextToken() == "a" && first.nextToken() == "b" && !first.hasNextToken() &&
           second.nextToken() == "c";
  });
  EXPECT_TRUE(r.ok);
  EXPECT_TRUE(r.messages.empty());
}

}  // namespace
