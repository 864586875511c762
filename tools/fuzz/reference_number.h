// The number grammar told in terms of std::from_chars: the reference against which the number
// fuzzer, and the tests of the readers, check what the readers read.
#pragma once

#include <charconv>
#include <optional>
#include <string_view>

namespace cvl::fuzz {

// The value of token as a T, or nullopt when it is no number of the grammar: one leading '+'
// may stand where a '-' could, and the whole token must convert without a range error.
template <typename T>
std::optional<T> referenceNumber(std::string_view token) {
  if (token.starts_with('+') && token.find_first_of("+-", 1) != 1) token.remove_prefix(1);
  T value{};
  const auto [stop, error] = std::from_chars(token.data(), token.data() + token.size(), value);
  if (error != std::errc() || stop != token.data() + token.size()) return std::nullopt;
  return value;
}

}  // namespace cvl::fuzz
