// Output text on POSIX systems: texts are bytes, and streams are binary already.
#include "minihost/console_text.h"

namespace minihost {

std::string hostTextToUtf8(std::string_view text) {
  return std::string(text);
}

void useBinaryStandardStreams() {}

}  // namespace minihost
