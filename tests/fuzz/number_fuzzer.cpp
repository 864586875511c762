// Fuzz target for the data rows' number parser: the input, cut at its first white space, is one
// token; it is placed among other bytes as in the line file's window and read as a double and as
// an integer, which must agree bit for bit with std::from_chars (one leading '+' allowed, no
// range error). A disagreement aborts with the token.
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "reader/padded_number.h"

namespace {

template <typename T>
std::optional<T> reference(std::string_view token) {
  if (token.starts_with('+') && token.find_first_of("+-", 1) != 1) token.remove_prefix(1);
  T value{};
  const auto [stop, error] = std::from_chars(token.data(), token.data() + token.size(), value);
  if (error != std::errc() || stop != token.data() + token.size()) return std::nullopt;
  return value;
}

[[noreturn]] void mismatch(const char* what, std::string_view token) {
  std::fprintf(stderr, "%s differs from std::from_chars on \"%.*s\"\n", what,
               static_cast<int>(token.size()), token.data());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t blank = input.find_first_of(" \t\n\v\f\r");
  const std::string_view token = input.substr(0, blank);
  if (token.empty() || token.size() > 400) return 0;
  // Digits before the blank that precedes the token, as a neighbouring value would leave them.
  const std::string text = "98765432109876543210 " + std::string(token) + " 12345678901234567890";
  const char* const begin = text.data() + 21;
  const char* const end = begin + token.size();
  const auto wantDouble = reference<double>(token);
  const auto gotDouble = qorvian::paddednumber::readDouble(begin, end);
  if (gotDouble.ok != wantDouble.has_value() ||
      (gotDouble.ok &&
       std::bit_cast<uint64_t>(gotDouble.value) != std::bit_cast<uint64_t>(*wantDouble))) {
    mismatch("readDouble", token);
  }
  const auto wantInt = reference<int64_t>(token);
  const auto gotInt = qorvian::paddednumber::readInt64(begin, end);
  if (gotInt.ok != wantInt.has_value() || (gotInt.ok && gotInt.value != *wantInt)) {
    mismatch("readInt64", token);
  }
  return 0;
}
