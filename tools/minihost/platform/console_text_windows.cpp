// Output text on Windows: texts from the ANSI code page to UTF-8 through UTF-16, and the C
// runtime's standard streams in binary mode (text mode writes CR LF).
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <limits>

#include "tools/minihost/platform/console_text.h"

namespace cvl::minihost {

std::string hostTextToUtf8(std::string_view text) {
  if (text.empty() || ::GetACP() == CP_UTF8 ||
      text.size() > static_cast<size_t>(std::numeric_limits<int>::max() / 3)) {
    return std::string(text);
  }
  const int length = static_cast<int>(text.size());
  std::wstring wide(text.size(), L'\0');  // one UTF-16 unit per byte at most
  const int units = ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(), length);
  const int bytes =
      ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
  if (units <= 0 || bytes <= 0) return std::string(text);
  std::string utf8(static_cast<size_t>(bytes), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, utf8.data(), bytes, nullptr, nullptr);
  return utf8;
}

void useBinaryStandardStreams() {
  std::fflush(stdout);
  std::fflush(stderr);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

}  // namespace cvl::minihost
