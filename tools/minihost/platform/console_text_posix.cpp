// Output text on POSIX systems: texts are bytes, and streams are binary already.
#include "tools/minihost/platform/console_text.h"

namespace cvl::minihost {

std::string hostTextToUtf8(std::string_view text) {
  return std::string(text);
}

void useBinaryStandardStreams() {}

}  // namespace cvl::minihost
