// Runs the header reader on a file or a text, and gives what it found and what it reported in the
// host's error dialog in short forms that test tables can state.
#ifndef CVL_TESTS_SUPPORT_HEADER_READING_H
#define CVL_TESTS_SUPPORT_HEADER_READING_H

#include <gtest/gtest.h>

#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "addon/header/out_file_header.h"
#include "standins/qvsdkbase/host_control.h"
#include "tests/support/temp_dir.h"

namespace cvl::test {

// The dialog texts joined by '\n'; one about a line of the file path, in the exact form
// File "<path>", line <n>: <text>   is written "<n>: <text>", any other as it is.
inline std::string linedMessages(const std::string& path, const std::vector<std::string>& texts) {
  const std::string prefix = "File \"" + path + "\", line ";
  std::string all;
  for (const std::string& t : texts)
    all += (all.empty() ? "" : "\n") + (t.starts_with(prefix) ? t.substr(prefix.size()) : t);
  return all;
}

// The items joined by ',' (numbers in full precision), to compare with a table's text.
template <typename List>
std::string joined(const List& items) {
  std::ostringstream out;
  out.precision(17);
  for (const auto& item : items) out << (out.tellp() > 0 ? "," : "") << item;
  return out.str();
}

// What readOutFileHeader makes of the file path, in one line: its messages, and when it accepts
// the header the record's counts, variables, columns and zones:
//   <numColumns> <numValues> <numPoints> | <numVariables> <varNames> : <varDataTypes> /
//   <variable> <zone> <shared> of each column / <numZones> <zoneNames>
// An accepted header also gives the title "CONVERGE Data" and leaves the file after line 5.
inline std::string readHeader(const std::string& path) {
  qorvian::qorutilutil::AsciiFile file;
  cvl::OutFileInfo i;
  qvsdkbase::reset();
  const bool ok = file.open(path) && cvl::readOutFileHeader(file, i);
  EXPECT_TRUE(!ok || (i.title == "CONVERGE Data" && file.lineNumber() == 5)) << path;
  if (!ok) return linedMessages(path, qvsdkbase::messages());
  std::vector<int32_t> variables, zones;
  std::vector<bool> shared;
  for (const cvl::Column& column : i.columns) {
    variables.push_back(column.variable);
    zones.push_back(column.zone);
    shared.push_back(column.shared);
  }
  std::ostringstream out;
  out << linedMessages(path, qvsdkbase::messages()) << i.numColumns << ' ' << i.numValues << ' '
      << i.numPoints << " | " << i.numVariables << ' ' << joined(i.varNames) << " : "
      << joined(i.varDataTypes) << " / " << joined(variables) << ' ' << joined(zones) << ' '
      << joined(shared) << " / " << i.numZones << ' ' << joined(i.zoneNames);
  return out.str();
}

// Compares readHeader of each case's text, written to fileName, with the case's expected text.
inline void expectHeaders(std::span<const std::pair<std::string, std::string>> cases,
                          const std::string& fileName = "case.out") {
  for (const auto& [text, expected] : cases)
    EXPECT_EQ(readHeader(TempDir().write(fileName, text)), expected) << text;
}

}  // namespace cvl::test

#endif  // CVL_TESTS_SUPPORT_HEADER_READING_H
