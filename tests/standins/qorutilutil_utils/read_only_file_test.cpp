// ReadOnlyFile, the line file's only contact with the operating system: what opens, sizes,
// reads at offsets, a file that another handle is still writing, and moves.
#include "standins/qorutilutil_utils/read_only_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <utility>

#include "tests/support/temp_dir.h"

using qorvian::qorutilutil::ReadOnlyFile;

// Only regular files open. Bytes come back exactly as stored: no line-end translation, no stop
// at Ctrl-Z, a short read at the end, none past it.
TEST(ReadOnlyFile, OpensRegularFilesAndReadsAtOffsets) {
  const cvl::test::TempDir dir;
  const std::string content = "abc\r\n\x1a" + std::string(5000, 'x') + "end";
  const std::string regular = dir.write("data.out", content);
  for (const auto& [name, opens] : {std::pair{regular, true},
                                    {dir.write("empty.out", ""), true},
                                    {(dir.path() / "missing.out").string(), false},
                                    {dir.path().string(), false},
                                    {std::string(), false}}) {
    ReadOnlyFile file;
    EXPECT_TRUE(file.open(name) == opens && file.isOpen() == opens) << name;
  }
  ReadOnlyFile file;
  ASSERT_TRUE(file.open(regular));
  EXPECT_EQ(file.size(), content.size());
  const struct {
    uint64_t offset;
    std::string expected;
  } cases[] = {{0, content.substr(0, 10)}, {3, content.substr(3, 10)}, {content.size() - 3, "end"},
               {content.size(), ""},       {uint64_t{1} << 40, ""},    {UINT64_MAX, ""}};
  for (const auto& c : cases) {
    std::string into(10, '\0');
    const int64_t n = file.readAt(c.offset, into.data(), into.size());
    ASSERT_EQ(n, static_cast<int64_t>(c.expected.size())) << c.offset;
    EXPECT_EQ(into.substr(0, c.expected.size()), c.expected) << c.offset;
  }
}

// A solver still writing its output: the file opens while a writer has it open, and reads see
// what the writer added after the open.
TEST(ReadOnlyFile, SeesWhatAWriterAppends) {
  const cvl::test::TempDir dir;
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

// A file that was never opened, closed (twice) or moved away holds none: no size, reads fail.
TEST(ReadOnlyFile, ClosedAndMovedFromHoldNoFile) {
  const cvl::test::TempDir dir;
  ReadOnlyFile file, assigned;
  char byte = 0;
  const auto holdsNone = [&byte](const ReadOnlyFile& f) {
    return !f.isOpen() && !f.size().has_value() && f.readAt(0, &byte, 1) == -1;
  };
  EXPECT_TRUE(holdsNone(file));
  ASSERT_TRUE(file.open(dir.write("one.out", "1")));
  ReadOnlyFile moved(std::move(file));
  EXPECT_TRUE(holdsNone(file));  // NOLINT(bugprone-use-after-move): moved-from state is specified
  assigned = std::move(moved);
  ReadOnlyFile& same = assigned;
  assigned = std::move(same);
  EXPECT_TRUE(holdsNone(moved) && assigned.readAt(0, &byte, 1) == 1 && byte == '1');
  assigned.close();
  assigned.close();
  EXPECT_TRUE(holdsNone(assigned));
}
