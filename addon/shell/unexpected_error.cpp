#include "addon/shell/unexpected_error.h"

#include <array>
#include <cstdio>
#include <string>

#include "standins/qorutil/qorutil_api.h"

namespace cvl {

namespace {

constexpr const char* kPrefix = "Unexpected error: ";

// The exception's own text, valid while error holds the exception; "unknown exception" when it
// carries none.
const char* describe(const std::exception_ptr& error) noexcept {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "unknown exception";
  }
}

}  // namespace

void reportUnexpectedError(const std::exception_ptr& error) noexcept {
  const char* text = describe(error);
  // Without memory for the whole text, a shortened copy in a fixed buffer still tells the user.
  std::array<char, 256> shortened{};
  std::string message;
  const char* shown = shortened.data();
  try {
    message = std::string(kPrefix) + text;
    shown = message.c_str();
  } catch (...) {
    std::snprintf(shortened.data(), shortened.size(), "%s%s", kPrefix, text);
  }
  try {
    QorUtilDialogErrMsg(shown);
  } catch (...) {
    // The dialog itself failed; the host must not see the exception.
  }
}

}  // namespace cvl
