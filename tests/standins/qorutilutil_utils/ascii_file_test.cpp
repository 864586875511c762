// The line file: line ends, counts, lines by position, windows, faults, and the error texts.
#include "standins/qorutilutil_utils/ascii_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "standins/qvsdkbase/host_control.h"
#include "tests/support/temp_dir.h"

using qorvian::qorutilutil::AsciiFile;
using namespace std::string_literals;

// Reads content in sequence while !isEOF, and meanwhile some lines by position, from the last
// back (each such read walks the file from its start), which leave the sequential reader and its
// last line alone; compares each with lines. Reads past the last line fail.
static void expectLinesReadAs(const std::string& content, const std::vector<std::string>& lines,
                              uint64_t wholeFileLimit) {
  const cvl::test::TempDir dir;
  const std::string path = dir.write("lines.txt", content);
  AsciiFile file;
  ASSERT_TRUE(file.open(path, wholeFileLimit));
  EXPECT_EQ(file.readsWhole(), wholeFileLimit > 0 && !content.empty());
  EXPECT_EQ(file.numLinesInFile(), lines.size());
  for (size_t i = 0, back = lines.size() - 1; i < lines.size(); ++i, --back) {
    const std::string_view line = file.isEOF() ? "(end)" : file.readLine();
    if (i == 0 || back % (lines.size() / 16 + 1) == 0) {
      ASSERT_EQ(file.readLineAtOffset(back), lines[back]) << "offset " << back;
    }
    ASSERT_EQ(line, lines[i]) << "line " << i + 1;
  }
  EXPECT_TRUE(file.isEOF() && !file.readFailed() && file.lineNumber() == lines.size());
  EXPECT_TRUE(file.readLine().empty() && file.readFailed());
  ASSERT_TRUE(file.open(path, wholeFileLimit));
  EXPECT_TRUE(file.readLineAtOffset(lines.size()).empty() && file.readFailed());
  // A file whose reads fail (here: closed) counts no line and gives none, and says so.
  for (const bool byOffset : {false, true}) {
    ASSERT_TRUE(file.open(path, wholeFileLimit));
    file.close();
    EXPECT_TRUE((byOffset ? file.readLineAtOffset(0).empty() : file.numLinesInFile() == 0) &&
                file.readFailed());
  }
}

// expectLinesReadAs with the file read whole (unless it is empty), then through the window.
static void expectLines(const std::string& content, const std::vector<std::string>& lines) {
  for (const uint64_t limit : {AsciiFile::kWholeFileLimit, uint64_t{0}}) {
    SCOPED_TRACE(limit == 0 ? "read through the window" : "read whole");
    expectLinesReadAs(content, lines, limit);
  }
}

// Only the CR of a CRLF ends a line; a line's text ends at its first NUL.
TEST(AsciiFile, LineEnds) {
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {"", {}},
      {"\n", {""}},
      {"\r\n", {""}},
      {"a\nb", {"a", "b"}},
      {"a\r\nb\nc\r\n", {"a", "b", "c"}},
      {"a\n\n\r\nb\n", {"a", "", "", "b"}},
      {" a \t\n", {" a \t"}},
      {"a\rb\r\r\n", {"a\rb\r"}},
      {"a\r", {"a\r"}},
      {"x\0y\n\0"s, {"x", ""}},
      {"\0\0\0\r\n1 2\0x\n"s, {"", "1 2"}}};
  for (const auto& [content, lines] : cases) {
    SCOPED_TRACE(testing::PrintToString(content));
    expectLines(content, lines);
  }
}

// Lines of every length, with both terminators, so that lines and CRLF pairs straddle window
// boundaries; one line is longer than the whole window. Files of one line length repeated, up
// to terminators only, put a terminator at each byte position of the count's blocks many times.
TEST(AsciiFile, LinesAcrossWindowsAndCountBlocks) {
  std::vector<std::string> lines;
  std::string content;
  for (uint32_t seed = 12345; content.size() < (size_t{5} << 20);) {
    seed = seed * 1664525u + 1013904223u;
    lines.emplace_back(lines.size() == 5000 ? (size_t{3} << 20) + 17 : seed % 300, 'x');
    for (size_t i = 0; i < lines.back().size(); i += 7) lines.back()[i] = char('a' + i % 26);
    content += lines.back() + ((seed & 0x10000) != 0 ? "\r\n" : "\n");
  }
  lines.push_back("last");
  expectLines(content + "last", lines);
  for (const size_t length : {0ul, 15ul, 63ul, 64ul}) {
    SCOPED_TRACE(testing::Message() << "lines of " << length << " bytes");
    lines.assign(40000, std::string(length, 'x'));
    content.clear();
    for (const std::string& line : lines) content += line + '\n';
    expectLines(content, lines);
  }
}

// The error texts name the line most recently read (by readLine), or the given one.
TEST(AsciiFile, ErrorTexts) {
  const cvl::test::TempDir dir;
  const std::string path = dir.write("run 1.out", "one\ntwo\nthree\n"),
                    at = "File \"" + path + "\"";
  AsciiFile file;
  ASSERT_TRUE(file.open(path));
  qvsdkbase::reset();
  file.error("Before any line");
  file.readLine();
  file.readLineAtOffset(2);
  file.error("Invalid comment line");
  file.error("Invalid first line of data", 6);
  const std::vector<std::string> expected = {at + ": Before any line",
                                             at + ", line 1: Invalid comment line",
                                             at + ", line 6: Invalid first line of data"};
  EXPECT_EQ(qvsdkbase::messages(), expected);
}

// Files read whole one after another, and two at once, on one thread: each its own image, the
// storage of a closed one taken by the next whatever their sizes; a file too large for the limit
// is read through the window.
TEST(AsciiFile, ImagesOfFilesReadOneAfterAnotherAndAtOnce) {
  const cvl::test::TempDir dir;
  std::vector<std::string> paths;
  for (const size_t lines : {size_t{200'000}, size_t{3}, size_t{50'000}}) {
    std::string content;
    for (size_t i = 0; i < lines; ++i)
      content += std::to_string(lines) + " " + std::to_string(i) + "\n";
    paths.push_back(dir.write("f" + std::to_string(lines) + ".txt", content));
  }
  const auto expectFile = [](AsciiFile& file, const std::string& path, size_t lines) {
    ASSERT_TRUE(file.readsWhole()) << path;
    ASSERT_EQ(file.numLinesInFile(), lines) << path;
    ASSERT_EQ(file.readLine(), std::to_string(lines) + " 0") << path;
    ASSERT_EQ(file.readLineAtOffset(lines - 1),
              std::to_string(lines) + " " + std::to_string(lines - 1))
        << path;
  };
  AsciiFile first, second;
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(testing::Message() << "round " << round);
    ASSERT_TRUE(first.open(paths[0]) && second.open(paths[1]));
    expectFile(second, paths[1], 3);
    expectFile(first, paths[0], 200'000);
    first.close();
    ASSERT_TRUE(first.open(paths[2]));
    expectFile(first, paths[2], 50'000);
    second.close();
  }
  ASSERT_TRUE(first.open(paths[0], 1000));
  EXPECT_FALSE(first.readsWhole());
  EXPECT_EQ(first.numLinesInFile(), 200'000u);
}

// A file read whole is what its reads found: cut short after its first block was read, its image
// ends where the file then ended; grown after the rest was read, it does not grow.
TEST(AsciiFile, AFileReadWholeIsTheSnapshotItsReadsFound) {
  const cvl::test::TempDir dir;
  std::string content;
  for (int i = 0; content.size() < 100'000; ++i) content += "line " + std::to_string(i) + "\n";
  const std::string path = dir.write("cut.txt", content);
  AsciiFile file;
  ASSERT_TRUE(file.open(path) && file.readsWhole());
  const size_t cut = content.rfind('\n', 80'000) + 1;  // past the first block of 64 KiB
  dir.write("cut.txt", content.substr(0, cut));
  const auto lines = static_cast<uint64_t>(std::count(content.data(), content.data() + cut, '\n'));
  EXPECT_EQ(file.numLinesInFile(), lines);
  dir.write("cut.txt", content + content);
  EXPECT_EQ(file.readLineAtOffset(lines), "");
  EXPECT_TRUE(file.readFailed());
  EXPECT_EQ(file.readLineAtOffset(lines - 1), "line " + std::to_string(lines - 1));
}
