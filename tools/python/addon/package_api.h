// What the Python package's build of the add-on offers its extension module beyond the host's
// entry point: read options for the files a thread loads, what those options changed, a file's
// header as the loader reads it, and data rows that the package read itself, read by the
// loader's row kernel. The build is libconvergeoutloader_python.so: the add-on's code
// as it ships, with the tolerant door of tolerant_file_posix.cpp in place of the line file's own,
// and package_exports.cpp. The library that the host loads has none of this.
//
// Both sides are built from this tree by one compiler, so C++ types cross between them; the
// module finds the one exported function, kPackageApiFunction, by name.
#ifndef CVL_TOOLS_PYTHON_ADDON_PACKAGE_API_H
#define CVL_TOOLS_PYTHON_ADDON_PACKAGE_API_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "addon/rows/row_kernel.h"

namespace cvl::python {

// How the files that a thread opens from now on are read. All off, the default, is the host's
// own reading: the door passes every byte through as the file holds it.
struct ReadOptions {
  // A header line (lines 1 to 5) whose first token is "#" followed at once by underscores and
  // more ("#___________Crank", as some solver versions write) is read as "#", then the rest of
  // the token: the underscores read as blanks.
  bool lenientHeader = false;
  // The file is read up to the end of its last line that has a line end: an unfinished last line
  // is left out, as if not yet written.
  bool completeTail = false;
  // Files (names as the load gives them) whose last line that has a line end is left out too:
  // a last row that was written short. Only with completeTail.
  std::set<std::string> leaveOutLastLine;
};

// A header line read other than as the file holds it.
struct ToleratedLine {
  uint64_t line = 0;       // from 1
  std::string firstToken;  // as the file holds it
};

// What the read options changed in one opened file. Made only for a file they changed.
struct ReadNote {
  std::string fileName;               // as given to open
  std::vector<ToleratedLine> header;  // header lines read with the underscores as blanks
  uint64_t unfinishedBytes = 0;       // after the file's last line end: left out
  bool lastLineLeftOut = false;       // its last line with a line end was left out too
};

// One column of a header as the loader reads it.
struct HeaderColumn {
  std::string name;      // full name: "name unit", or the name alone
  bool integer = false;  // its own qualifier is "(number)"
  int32_t variable = 0;  // from 0: the variable its values go to
  int32_t zone = 0;      // from 0, within the file
  bool shared = false;   // location "(none)"
};

// A file's header as the loader reads it, without its rows.
struct HeaderFacts {
  std::string title;                    // the dataset title an accepted banner line gives
  std::vector<std::string> variables;  // the variables' full names, in order
  std::vector<bool> integer;           // per variable: a 32-bit integer, else a double
  std::vector<std::string> zoneNames;  // per zone of the file, in order
  // Per zone: the location that the location row gives its columns; nothing for a file without
  // locations (or whose locations are all "(none)"), whose one zone is named after the file.
  std::vector<std::optional<std::string>> regions;
  std::vector<HeaderColumn> columns;  // every named column, in column order
  int32_t numValues = 0;              // the columns read from each row: columns[0, numValues)
};

struct PackageApi {
  // Sets the read options of the files that the calling thread opens from now on.
  void (*setReadOptions)(const ReadOptions& options);
  // The notes of the files that the calling thread opened since the last call, in the order
  // opened; they are forgotten here.
  std::vector<ReadNote> (*takeReadNotes)();
  // Reads lines 1 to 5 and line 6 of the named file under the calling thread's read options, as a
  // load reads them, into facts. False when the file cannot be opened or its header is refused:
  // the message has then been shown in the host's error dialog, as a load shows it. Throws
  // std::bad_alloc.
  bool (*readHeader)(const std::string& fileName, HeaderFacts& facts);
  // The same from text that the package read from the named file itself (at least its first
  // six lines), as if the file held just text: the file is not opened, and the messages name
  // it as a load would. Throws std::bad_alloc.
  bool (*readHeaderText)(const std::string& fileName, std::string_view text, HeaderFacts& facts);
  // Reads the data rows of [lines, lines + size), a block of whole lines (each ends with '\n';
  // the kRowPadding bytes before and after it are readable), at most `rows` of them, with the
  // row kernel that loads use, into the columns [first, last): row r of the block goes to
  // element r of each column's array, which holds at least `rows` values. Returns the number of
  // rows read whole. fault is the message of the first faulty row, the row after those
  // (values of it before its fault are stored, nothing after), or null when there is none.
  int64_t (*readRows)(const char* lines, size_t size, int64_t rows, const rows::ColumnTarget* first,
                      const rows::ColumnTarget* last, const char*& fault);
};

// The readable bytes that readRows needs before and after a block.
inline constexpr size_t kRowPadding = 64;

// The name under which the build exports `const PackageApi* cvlPythonPackageApi()`.
inline constexpr const char* kPackageApiFunction = "cvlPythonPackageApi";
using PackageApiFunction = const PackageApi* (*)();

}  // namespace cvl::python

#endif  // CVL_TOOLS_PYTHON_ADDON_PACKAGE_API_H
