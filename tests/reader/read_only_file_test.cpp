// ReadOnlyFile, the line file's only contact with the operating system: what opens, sizes,
// reads at offsets, a file that another handle is still writing, and moves.
#include "reader/read_only_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <utility>

#include "tests/support/temp_dir.h"

using qorvian::qorutilutil::ReadOnlyFile;

TEST(ReadOnlyFile, OpensOnlyRegularFiles) {
  const cvltest::TempDir dir;
  const std::string regular = dir.write("data.out",
                                        "abc\r\n\x1a"
                                        "def");
  const std::string empty = dir.write("empty.out", "");
  const struct {
    std::string name;
    bool opens;
  } cases[] = {
      {regular, true},
      {empty, true},
      {(dir.path() / "missing.out").string(), false},
      {dir.path().string(), false},  // a folder
      {"", false},
  };
  for (const auto& c : cases) {
    ReadOnlyFile file;
    EXPECT_EQ(file.open(c.name), c.opens) << c.name;
    EXPECT_EQ(file.isOpen(), c.opens) << c.name;
  }
}

// Bytes come back exactly as stored: no line-end translation, no stop at Ctrl-Z.
TEST(ReadOnlyFile, ReadsAtOffsets) {
  const cvltest::TempDir dir;
  const std::string content = std::string(
                                  "abc\r\n\x1a"
                                  "def") +
                              std::string(5000, 'x') + "end";
  ReadOnlyFile file;
  ASSERT_TRUE(file.open(dir.write("data.out", content)));
  EXPECT_EQ(file.size(), content.size());
  const struct {
    uint64_t offset;
    size_t length;
    std::string expected;
  } cases[] = {
      {0, 9, content.substr(0, 9)},
      {3, 4,
       "\r\n\x1a"
       "d"},
      {content.size() - 3, 10, "end"},  // a short read at the end
      {content.size(), 10, ""},
      {uint64_t{1} << 40, 10, ""},
      {UINT64_MAX, 10, ""},
  };
  for (const auto& c : cases) {
    std::string into(c.length, '\0');
    const int64_t n = file.readAt(c.offset, into.data(), into.size());
    ASSERT_EQ(n, static_cast<int64_t>(c.expected.size())) << "offset " << c.offset;
    EXPECT_EQ(into.substr(0, c.expected.size()), c.expected) << "offset " << c.offset;
  }
}

// A solver still writing its output: the file opens while a writer has it open, and reads see
// what the writer added after the open.
TEST(ReadOnlyFile, SeesWhatAWriterAppends) {
  const cvltest::TempDir dir;
  const std::string name = dir.write("growing.out", "first\n");
  std::ofstream writer(name, std::ios::binary | std::ios::app);
  ReadOnlyFile file;
  ASSERT_TRUE(file.open(name));
  writer << "second\n" << std::flush;
  EXPECT_EQ(file.size(), 13u);
  std::string into(32, '\0');
  EXPECT_EQ(file.readAt(6, into.data(), into.size()), 7);
  EXPECT_EQ(into.substr(0, 7), "second\n");
}

TEST(ReadOnlyFile, ClosedAndMovedFromHoldNoFile) {
  const cvltest::TempDir dir;
  ReadOnlyFile file;
  char byte = 0;
  EXPECT_EQ(file.readAt(0, &byte, 1), -1);
  EXPECT_FALSE(file.size().has_value());
  ASSERT_TRUE(file.open(dir.write("one.out", "1")));
  ReadOnlyFile moved(std::move(file));
  EXPECT_FALSE(file.isOpen());  // NOLINT(bugprone-use-after-move): moved-from state is specified
  EXPECT_EQ(file.readAt(0, &byte, 1), -1);
  EXPECT_EQ(moved.readAt(0, &byte, 1), 1);
  EXPECT_EQ(byte, '1');
  ReadOnlyFile assigned;
  assigned = std::move(moved);
  ReadOnlyFile& same = assigned;
  assigned = std::move(same);
  EXPECT_EQ(assigned.size(), 1u);
  assigned.close();
  assigned.close();
  EXPECT_EQ(assigned.readAt(0, &byte, 1), -1);
}

// A regular file whose reads fail: the process's own memory, unmapped at offset 0.
TEST(ReadOnlyFile, AReadErrorIsReported) {
  ReadOnlyFile file;
  ASSERT_TRUE(file.open("/proc/self/mem"));
  char byte = 0;
  EXPECT_EQ(file.readAt(0, &byte, 1), -1);
}
