// The line file: line ends, counts, lines by position, windows, faults, and the error texts.
#include "reader/ascii_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "minihost/host_control.h"
#include "tests/support/temp_dir.h"

namespace {

using qorvian::qorutilutil::AsciiFile;
using namespace std::string_literals;

// Reads content every way there is (by count, by position from the last line back, in sequence
// with isEOF) and compares each with lines; a read past the last line fails. Of many lines, a
// few are read by position, as each such read walks the file from its start.
void expectLines(const std::string& content, const std::vector<std::string>& lines) {
  cvltest::TempDir dir;
  const std::string path = dir.write("lines.txt", content);
  AsciiFile file;
  ASSERT_TRUE(file.open(path));
  EXPECT_EQ(file.numLinesInFile(), lines.size());
  const size_t step = lines.size() / 16 + 1;
  for (size_t i = lines.size(); i-- > 0;) {
    if (i % step == 0 || i + 1 == lines.size()) {
      ASSERT_EQ(file.readLineAtOffset(i), lines[i]) << "offset " << i;
    }
  }
  EXPECT_FALSE(file.readFailed());
  EXPECT_TRUE(file.readLineAtOffset(lines.size()).empty());
  EXPECT_TRUE(file.readFailed());

  ASSERT_TRUE(file.open(path));
  std::vector<std::string> read;
  while (!file.isEOF()) read.emplace_back(file.readLine());
  EXPECT_FALSE(file.readFailed());
  for (size_t i = 0; i < lines.size(); ++i) ASSERT_EQ(read.at(i), lines[i]) << "line " << i + 1;
  EXPECT_EQ(read.size(), lines.size());
  EXPECT_EQ(file.lineNumber(), lines.size());
  EXPECT_TRUE(file.readLine().empty());
  EXPECT_TRUE(file.readFailed());
}

TEST(AsciiFile, LineEnds) {
  const struct {
    std::string content;
    std::vector<std::string> lines;
  } cases[] = {{"", {}},
               {"\n", {""}},
               {"\r\n", {""}},
               {"a\nb", {"a", "b"}},
               {"a\r\nb\nc\r\n", {"a", "b", "c"}},
               {"a\n\n\r\nb\n", {"a", "", "", "b"}},
               {" a \t\n", {" a \t"}},
               {"a\rb\r\r\n", {"a\rb\r"}},  // only the CR of a CRLF belongs to the terminator
               {"a\r", {"a\r"}},
               {"x\0y\n\0"s, {"x\0y"s, "\0"s}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.content));
    expectLines(c.content, c.lines);
  }
}

// Lines of every length, with both terminators, so that lines and CRLF pairs straddle window
// boundaries; one line is longer than the whole window. Files of one line length repeated, up
// to terminators only, put a terminator at each byte position of the count's blocks many times.
TEST(AsciiFile, LinesAcrossWindowsAndCountBlocks) {
  std::vector<std::string> lines;
  std::string content;
  uint32_t seed = 12345;
  while (content.size() < (size_t{5} << 20)) {
    seed = seed * 1664525u + 1013904223u;
    std::string line(lines.size() == 5000 ? (size_t{3} << 20) + 17 : seed % 300, 'x');
    for (size_t i = 0; i < line.size(); i += 7) line[i] = static_cast<char>('a' + i % 26);
    content += line + ((seed & 0x10000) != 0 ? "\r\n" : "\n");
    lines.push_back(std::move(line));
  }
  lines.push_back("last");
  expectLines(content + "last", lines);
  for (const size_t length : {size_t{0}, size_t{15}, size_t{63}, size_t{64}}) {
    SCOPED_TRACE(testing::Message() << "lines of " << length << " bytes");
    std::string repeated;
    for (int i = 0; i < 40000; ++i) repeated += std::string(length, 'x') + '\n';
    expectLines(repeated, std::vector<std::string>(40000, std::string(length, 'x')));
  }
}

// Counting and reading by position leave the sequential position and its last view alone.
TEST(AsciiFile, CountAndPositionDoNotMoveTheReader) {
  cvltest::TempDir dir;
  AsciiFile file;
  ASSERT_TRUE(file.open(dir.write("f.txt", "one\ntwo\nthree\nfour\nfive\nsix\n")));
  const std::string_view first = file.readLine();
  EXPECT_EQ(file.numLinesInFile(), 6u);
  EXPECT_EQ(file.readLineAtOffset(5), "six");
  EXPECT_EQ(first, "one");
  EXPECT_EQ(file.readLine(), "two");
  EXPECT_EQ(file.lineNumber(), 2u);
}

// A file cut short after it was counted gives fewer lines and a read failure, not a crash.
TEST(AsciiFile, FileShrinksAfterCounting) {
  std::string content;
  for (int i = 0; i < 200000; ++i) content += "   1.0000000e+00   -2.5000000e+01\n";
  cvltest::TempDir dir;
  const std::string path = dir.write("shrink.txt", content);
  AsciiFile file;
  ASSERT_TRUE(file.open(path));
  ASSERT_EQ(file.numLinesInFile(), 200000u);
  std::filesystem::resize_file(path, content.size() / 4);
  while (!file.isEOF()) file.readLine();
  EXPECT_LT(file.lineNumber(), 200000u);
  EXPECT_FALSE(file.readFailed());
  EXPECT_TRUE(file.readLine().empty());
  EXPECT_TRUE(file.readFailed());
  EXPECT_TRUE(file.readLineAtOffset(199999).empty());
}

TEST(AsciiFile, OpenCloseAndMove) {
  cvltest::TempDir dir;
  for (const std::string& name : {(dir.path() / "missing.out").string(), dir.path().string()}) {
    AsciiFile file;
    EXPECT_FALSE(file.open(name)) << name;
    EXPECT_TRUE(file.isEOF() && file.readLine().empty() && file.numLinesInFile() == 0) << name;
  }
  AsciiFile file;
  ASSERT_TRUE(file.open(dir.write("f.txt", "a\nb\nc\n")));
  EXPECT_EQ(file.readLine(), "a");
  AsciiFile moved(std::move(file));
  EXPECT_TRUE(file.isEOF());
  EXPECT_EQ(moved.readLine(), "b");
  file = std::move(moved);
  EXPECT_EQ(file.readLine(), "c");
  EXPECT_EQ(file.lineNumber(), 3u);
  file.close();
  EXPECT_TRUE(file.isEOF() && file.readLine().empty());
}

TEST(AsciiFile, ErrorTexts) {
  cvltest::TempDir dir;
  const std::string path = dir.write("run 1.out", "a\nb\nc\n");
  AsciiFile file;
  ASSERT_TRUE(file.open(path));
  minihost::reset();
  file.error("Before any line");
  file.readLine();
  file.readLine();
  file.error("Invalid comment line");
  file.error("Invalid first line of data", 6);
  file.readLineAtOffset(2);
  file.error("After a line by position");
  const std::vector<std::string> expected = {
      "File \"" + path + "\": Before any line",
      "File \"" + path + "\", line 2: Invalid comment line",
      "File \"" + path + "\", line 6: Invalid first line of data",
      "File \"" + path + "\", line 2: After a line by position"};
  EXPECT_EQ(minihost::messages(), expected);
}

}  // namespace
