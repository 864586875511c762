// Runs a step of the header reader on a text written to a temporary file, and collects what it
// reported in the host's error dialog.
#ifndef CVL_TESTS_SUPPORT_HEADER_READING_H
#define CVL_TESTS_SUPPORT_HEADER_READING_H

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "minihost/host_control.h"
#include "reader/ascii_file.h"
#include "reader/out_file_info.h"
#include "tests/support/temp_dir.h"

namespace cvltest {

struct HeaderReading {
  bool ok = false;
  cvl::OutFileInfo info;
  std::vector<std::string> messages;  // error-dialog texts, in order
  std::string path;                   // the file's full name, as given to open
  uint64_t lineNumber = 0;            // the file's sequential position after the step
};

// Opens the file path and calls step(file, info) on a fresh record.
template <typename Step>
HeaderReading readHeaderFile(const std::string& path, Step step) {
  HeaderReading result;
  result.path = path;
  qorvian::qorutilutil::AsciiFile file;
  if (!file.open(path)) throw std::runtime_error("cannot open " + path);
  minihost::reset();
  result.ok = step(file, result.info);
  result.messages = minihost::messages();
  result.lineNumber = file.lineNumber();
  return result;
}

// Writes text to fileName in dir and reads it as readHeaderFile does.
template <typename Step>
HeaderReading readHeaderText(const TempDir& dir, const std::string& fileName, std::string_view text,
                             Step step) {
  return readHeaderFile(dir.write(fileName, text), step);
}

// A message that a test expects: against line of the file, or, with line 0, shown directly in
// the dialog.
struct ExpectedMessage {
  uint64_t line;
  std::string_view text;
};

// The dialog texts of expected, as AsciiFile::error shows them for the file path.
inline std::vector<std::string> dialogTexts(const std::string& path,
                                            const std::vector<ExpectedMessage>& expected) {
  std::vector<std::string> texts;
  for (const ExpectedMessage& m : expected) {
    texts.push_back(m.line == 0 ? std::string(m.text)
                                : "File \"" + path + "\", line " + std::to_string(m.line) + ": " +
                                      std::string(m.text));
  }
  return texts;
}

}  // namespace cvltest

#endif  // CVL_TESTS_SUPPORT_HEADER_READING_H
