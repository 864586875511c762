// Files at the edges of what a loader meets: very long lines, very wide headers, millions of
// blank lines, 8-bit text, NUL bytes, and the same file picked many times. Each is loaded through
// the selection callback; the load either succeeds or fails with its one message, and the host is
// left sound either way.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "standins/qvsdkbase/host_control.h"
#include "tests/support/header_reading.h"
#include "tests/support/temp_dir.h"
#include "tools/fuzz/selection_load.h"

namespace {

const std::string kTenMegabytes(size_t{10} << 20, '7');
const std::string kNul(1, '\0');

// Time (double), Steps (integer), Ratio (double), one zone.
const std::string kHeader =
    "# CONVERGE 4.0.3\n# column 1 2 3\n#  Time  Steps  Ratio\n#  (s)  (number)  (-)\n#\n";
const std::string kGoodFile = kHeader + "0.5 1 0.25\n1.5 2 0.5\n2.5 3 0.75\n";

// A one-zone file of `columns` columns named v0, v1, ..., each in metres, with two rows.
std::string wideFile(int columns) {
  std::string text = "# CONVERGE\n# column", names = "\n#", units = "\n#", row;
  for (int c = 0; c < columns; ++c) {
    text += ' ' + std::to_string(c + 1);
    names += " v" + std::to_string(c);
    units += " (m)";
    row += std::to_string(c) + ' ';
  }
  return text + names + units + "\n#\n" + row + '\n' + row + '\n';
}

// What the load left, in one line: its messages ("<line>: <text>"), then the dataset as
//   <zones>x<points> <variable count> <first variable>..<last variable> <last time of each zone>
// where, for a load handed back, the last times of all zones are listed once each.
std::string outcome(const std::string& path, const cvl::test::SelectionLoad& load) {
  std::ostringstream out;
  out << cvl::test::linedMessages(path, load.messages) << " |";
  const qvsdkbase::DataSet* dataSet = qvsdkbase::dataSet();
  if (dataSet == nullptr || dataSet->zones.empty()) return out.str() + " none";
  std::set<double> lastTimes;
  for (const qvsdkbase::Zone& zone : dataSet->zones)
    lastTimes.insert(zone.points > 0 ? zone.values.at(0)->asDouble(zone.points - 1) : -1);
  out << ' ' << dataSet->zones.size() << 'x' << dataSet->zones[0].points << ' '
      << dataSet->variables.size() << ' ' << dataSet->variables.front() << ".."
      << dataSet->variables.back() << ' ' << (load.handedBack ? cvl::test::joined(lastTimes) : "-");
  return out.str();
}

struct EdgeCase {
  const char* name;
  std::string content;  // the bytes of the one file, f.out
  size_t timesPicked;
  std::string outcome;
};

TEST(ResourceEdges, LoadOrFailWithTheirMessageAndLeaveTheHostSound) {
  const EdgeCase cases[] = {
      {"10 MB of text after the banner keyword",
       "# CONVERGE " + kTenMegabytes + kGoodFile.substr(16), 1, " | 1x3 3 Time (s)..Ratio (-) 2.5"},
      {"10 MB word after the values of a row",
       kHeader + "0.5 1 0.25 x" + kTenMegabytes + "\n1.5 2 0.5\n", 1,
       " | 1x2 3 Time (s)..Ratio (-) 1.5"},
      {"10 MB number on a data row", kHeader + "0.5 1 0.25\n" + kTenMegabytes + '\n', 1,
       "7: Invalid or missing double precision value | 1x2 3 Time (s)..Ratio (-) -"},
      {"100,000 columns", wideFile(100'000), 1, " | 1x2 100000 v0 (m)..v99999 (m) 0"},
      {"header followed by a million blank lines", kHeader + std::string(1'000'000, '\n'), 1,
       "6: Invalid first line of data | none"},
      {"UTF-8 and 8-bit names and units",
       "# CONVERGE\n# column 1 2\n# Temp\xc3\xa9rature Dr\xfc"
       "ck\n# (\xc2\xb0"
       "C) (bar\xff)\n#\n1 2\n",
       1,
       " | 1x1 2 Temp\xc3\xa9rature (\xc2\xb0"
       "C)..Dr\xfc"
       "ck (bar\xff) 1"},
      // A line's text ends at its first NUL byte.
      {"NUL byte inside a value", kHeader + "0.5 1 0.25\n1.5" + kNul + " 2 0.5\n", 1,
       "7: Invalid or missing integer value | 1x2 3 Time (s)..Ratio (-) -"},
      {"NUL byte after a row's values", kHeader + "0.5 1 0.25\n1.5 2 0.5" + kNul + " 7\n", 1,
       " | 1x2 3 Time (s)..Ratio (-) 1.5"},
      {"NUL byte right after the banner keyword", "# CONVERGE" + kNul + "x" + kGoodFile.substr(16),
       1, " | 1x3 3 Time (s)..Ratio (-) 2.5"},
      {"zero-filled tail of a crashed run", kGoodFile + std::string(300, '\0'), 1,
       "9: Invalid or missing double precision value | 1x4 3 Time (s)..Ratio (-) -"},
      {"CR LF line ends", std::regex_replace(kGoodFile, std::regex("\n"), "\r\n"), 1,
       " | 1x3 3 Time (s)..Ratio (-) 2.5"},
      {"CR line ends", std::regex_replace(kGoodFile, std::regex("\n"), "\r"), 1,
       "1: Unexpected end-of-file when processing comment line\n1: Invalid Column Row | none"},
      {"byte order mark", "\xef\xbb\xbf" + kGoodFile, 1, "1: Invalid comment line | none"},
      // Each copy fills its own zone: a later copy must not write over an earlier one.
      {"the same file picked 50 times", kGoodFile, 50, " | 50x3 3 Time (s)..Ratio (-) 2.5"},
  };
  for (const EdgeCase& edge : cases) {
    const cvl::test::TempDir dir;
    const std::string path = dir.write("f.out", edge.content);
    const cvl::test::SelectionLoad load =
        cvl::test::loadSelection(std::vector<std::string>(edge.timesPicked, path));
    EXPECT_TRUE(load.violations.empty()) << edge.name << testing::PrintToString(load.violations);
    EXPECT_EQ(outcome(path, load), edge.outcome) << edge.name;
  }
}

}  // namespace
