// Runs the header reader on a file and gives its record and the messages it reported in the
// host's error dialog; and the forms in which tests state messages and lists.
#ifndef CVL_TESTS_SUPPORT_HEADER_READING_H
#define CVL_TESTS_SUPPORT_HEADER_READING_H

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "addon/header/out_file_header.h"
#include "standins/qvsdkbase/host_control.h"

namespace cvl {

// A column record in test messages, as it is written in tables.
inline void PrintTo(const Column& column, std::ostream* out) {
  *out << '{' << testing::PrintToString(column.name) << ", " << column.dataType << ", "
       << column.variable.index() << ", " << column.zone << ", " << column.shared << '}';
}

}  // namespace cvl

namespace cvl::test {

// The dialog text of message against line of the file path, as the line file reports it.
inline std::string lined(const std::string& path, uint64_t line, const std::string& message) {
  return "File \"" + path + "\", line " + std::to_string(line) + ": " + message;
}

// What readOutFileHeader made of a file: whether it accepted the header, the dialog texts shown
// meanwhile, and the record (not to be used when refused).
struct HeaderReading {
  bool accepted = false;
  std::vector<std::string> messages;
  OutFileInfo info;
};

// Reads the header of the file path in a fresh host. Also expects of an accepted header what
// holds for every one: the title "CONVERGE Data", the file after line 5, numVariables at most the
// number of variables, a type for every variable, and numZones the length of zoneNames.
inline HeaderReading readHeader(const std::string& path) {
  qorvian::qorutilutil::AsciiFile file;
  HeaderReading read;
  qvsdkbase::reset();
  read.accepted = file.open(path) && readOutFileHeader(file, read.info);
  read.messages = qvsdkbase::messages();
  const OutFileInfo& i = read.info;
  EXPECT_TRUE(!read.accepted || (i.title == kDataSetTitle && file.lineNumber() == 5 &&
                                 std::ssize(i.dataSetVariableNames()) == i.numVariables &&
                                 i.variableTypes().size() == i.variableNames().size() &&
                                 std::ssize(i.zoneNames) == i.numZones))
      << path;
  return read;
}

}  // namespace cvl::test

#endif  // CVL_TESTS_SUPPORT_HEADER_READING_H
