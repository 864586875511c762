// What minihost writes goes out as UTF-8, byte for byte as written. The only place where
// minihost's output meets the operating system: console_text_posix.cpp and
// console_text_windows.cpp implement it, and one of them is built.
#ifndef CVL_TOOLS_MINIHOST_PLATFORM_CONSOLE_TEXT_H
#define CVL_TOOLS_MINIHOST_PLATFORM_CONSOLE_TEXT_H

#include <string>
#include <string_view>

namespace cvl::minihost {

// A text as the host holds it (8-bit; on Windows in the process's ANSI code page) in UTF-8.
// Unchanged where the host's texts are UTF-8 already: on POSIX systems, which take them as
// bytes, and on Windows when the ANSI code page is UTF-8.
std::string hostTextToUtf8(std::string_view text);

// Puts standard output and standard error into binary mode, so that "\n" is written as LF and
// nothing else is changed on the way.
void useBinaryStandardStreams();

}  // namespace cvl::minihost

#endif  // CVL_TOOLS_MINIHOST_PLATFORM_CONSOLE_TEXT_H
