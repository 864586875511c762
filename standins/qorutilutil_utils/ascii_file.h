// AsciiFile: line access to one text file, and fault reports against it.
#ifndef CVL_STANDINS_QORUTILUTIL_UTILS_ASCII_FILE_H
#define CVL_STANDINS_QORUTILUTIL_UTILS_ASCII_FILE_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "standins/qorutilutil_utils/read_only_file.h"

namespace qorvian::qorutilutil {

// Reads a text file line by line. A file of at most kWholeFileLimit bytes (when opened) is read
// whole, once, into memory: its first block at open, the rest when the lines or their count need
// it; the line count and every line then come from that one image, a snapshot of the file as it
// was when read, whatever changes it later. A larger file is read through a fixed-size window, so
// that a file of any size costs the same memory (a window grows only to hold a line longer than
// itself), and read twice: once to count its lines, once for the lines. Lines end with "\n" or
// "\r\n"; the terminator is never part of a line. A last line without terminator counts; a
// terminator at the very end opens no further line; an empty file has no line. A line's text ends
// at its first NUL byte (a crashed run's zero-filled tail reads as empty lines); the line itself,
// and so the count and numbering of lines, still ends at its terminator.
//
// The file is read at 64-bit offsets (ReadOnlyFile), never mapped: a file read through the window
// that shrinks while it is read ends early and sets readFailed(), it does not crash the process.
//
// Memory: a window of 1 MiB (or the file's size, if smaller), or the image of a file read whole,
// whose storage each thread keeps for its next such file once the file is closed (at most
// kWholeFileLimit bytes a thread, until the thread ends), as fresh memory costs a fault per page.
class AsciiFile {
 public:
  // The largest file that is read whole into memory (32 MiB); a larger one is read through the
  // window.
  static constexpr uint64_t kWholeFileLimit = uint64_t{32} << 20;

  AsciiFile() noexcept = default;
  ~AsciiFile();  // closes the file
  // Neither copied nor moved: the views it hands out point into its window.
  AsciiFile(const AsciiFile&) = delete;
  AsciiFile& operator=(const AsciiFile&) = delete;

  // Opens fileName for reading from its first line; false when it cannot be read (missing,
  // unreadable, a directory or anything else that is not a regular file). Reports nothing: the
  // caller does. A file already open is closed first. A file of at most wholeFileLimit bytes is
  // read whole (kWholeFileLimit unless a test asks for less).
  bool open(const std::string& fileName, uint64_t wholeFileLimit = kWholeFileLimit);
  // Closes the file; further reads see no line. Harmless when not open.
  void close();

  // True when no line is left for readLine.
  bool isEOF() const { return state_.begin == state_.end && state_.atEnd; }
  // The next line, without terminator; moves on by one line. The view stays valid until the
  // next read or close. Called at the end of the file it returns an empty view, moves on
  // nothing and sets readFailed().
  std::string_view readLine();
  // The unread lines that the window holds whole, as one view, for a reader that splits lines
  // itself: from the next line's first byte through the '\n' that ends the last of them; every
  // line in it ends with '\n' (a last line without terminator is given one). Its text is as in
  // the file: a line's "\r" and NUL bytes are left to the caller. Reads more of the file when
  // the window holds no whole line. The kPadding bytes before and after the view are readable
  // (their content is unspecified). Does not move on: skipLines does. Empty, with readFailed(),
  // at the end of the file. Valid until the next read or close.
  std::string_view wholeLines();
  // Moves on by `lines` lines that span the first `bytes` bytes of the last wholeLines view.
  // (The '\n' given to a last line without terminator lies past the window's end.)
  void skipLines(size_t bytes, uint64_t lines) {
    state_.begin = std::min(state_.begin + bytes, state_.end);
    state_.lineNumber += lines;
  }
  // Readable bytes around a wholeLines view.
  static constexpr size_t kPadding = 64;
  // True when the file was opened small enough to be read whole.
  bool readsWhole() const { return state_.whole; }

  // The line at the 0-based position offset (5 is the sixth line), without moving the
  // sequential position. Valid until the next call of this function, or close. An empty view,
  // and readFailed(), when the file has no such line or cannot be read (or is closed). Costs a
  // read of the file up to that line (none for a line the image of a file read whole holds).
  std::string_view readLineAtOffset(uint64_t offset) const;
  // True once a read found no line where the line count promised one, or the system reported a
  // read error: the file changed or failed while it was read (a file read whole cannot change
  // once read).
  bool readFailed() const { return state_.failed; }

  // The number of lines of the whole file, whatever the position; counted once, on first use
  // (for a file read whole, in its image, which this reads to its end). A file that cannot be
  // read to its end (or is closed) sets readFailed() and counts the lines read so far.
  uint64_t numLinesInFile() const;
  // Number of the line most recently read by readLine, from 1; 0 before the first.
  uint64_t lineNumber() const { return state_.lineNumber; }
  // The name given to open, as given.
  const std::string& fileName() const { return state_.fileName; }

  // Show message in the host's error dialog as one text:
  //   File "<name>", line <n>: <message>    (n: the line most recently read)
  //   File "<name>": <message>              (when no line has been read yet)
  void error(std::string_view message) const;
  // The same for the given line, counted from 1.
  void error(std::string_view message, uint64_t lineNumber) const;

 private:
  struct State {
    std::string fileName;
    ReadOnlyFile file;
    // The window: bytes [begin, end) of window are read but not yet handed out as lines. The
    // window has kPadding bytes of its own before and after its capacity. For a file read whole
    // it is the file's image: window[0, end) are the file's first bytes, and nothing moves.
    std::unique_ptr<char[]> storage;
    size_t storageBytes = 0;  // the storage's length, capacity and padding, or more
    char* window = nullptr;
    size_t capacity = 0;
    size_t begin = 0;
    // The image of a file read whole grows behind a const function's back (the line count), as
    // no line that the file gives changes by it.
    mutable size_t end = 0;
    mutable uint64_t readOffset = 0;  // file offset of the byte after window[end - 1]
    mutable bool atEnd = true;        // the file holds nothing after readOffset
    bool whole = false;               // the file is read whole into the window
    uint64_t lineNumber = 0;
    mutable bool failed = false;
    mutable bool counted = false;
    mutable uint64_t numLines = 0;
    mutable std::string lineAtOffset;  // the text given by readLineAtOffset
  };

  // Reads more of the file behind the unread bytes, moving them to the front of the window and
  // growing it when they fill it; at the end of the file, or on a read error, sets atEnd. For a
  // file read whole, reads the rest of it into its image. Called only while the file is open and
  // atEnd is not set.
  void refill();
  // Reads a file read whole into its image up to its first upTo bytes (at most its capacity),
  // and sets atEnd when the file or the capacity ends there; a read error sets failed and ends
  // the image where the error came. Harmless once atEnd is set.
  void readImage(size_t upTo) const;
  // readLineAtOffset for a file read whole: the line in its image, read to its end when needed.
  std::string_view lineOfImage(uint64_t offset) const;
  // Makes a window of the given capacity, with its padding.
  void allocateWindow(size_t capacity);

  State state_;
};

}  // namespace qorvian::qorutilutil

#endif  // CVL_STANDINS_QORUTILUTIL_UTILS_ASCII_FILE_H
