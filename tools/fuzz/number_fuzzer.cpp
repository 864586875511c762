// Fuzz target for the number grammar: the input, cut at its first white space, is one token; it
// is read by the full grammar, and by every row kernel the processor supports in one of a group
// of four rows of a double column and of an integer column, among rows that put digits before
// it; each must agree with std::from_chars bit for bit (one leading '+' allowed, no range error).
// A disagreement aborts with the token and the reader that disagreed.
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "addon/numbers/number_grammar.h"
#include "addon/rows/row_kernel.h"
#include "tools/fuzz/reference_number.h"

namespace {

using cvl::fuzz::referenceNumber;

[[noreturn]] void mismatch(const char* reader, const char* what, std::string_view token) {
  std::fprintf(stderr, "%s's %s differs from std::from_chars on \"%.*s\"\n", reader, what,
               static_cast<int>(token.size()), token.data());
  std::abort();
}

// What kernel reads from token in row `place` of four rows of one column: the value's bits (an
// integer widened), or nothing when it reports a fault there.
std::optional<int64_t> readInRows(const cvl::rows::RowKernel& kernel, std::string_view token,
                                  int place, bool integer) {
  std::string rows;
  for (int r = 0; r < 4; ++r) {
    rows += r == place ? std::string(token) : integer ? "7 w12" : "1.5e+00 w34";
    rows += '\n';
  }
  const std::string padding(64, '9');
  const std::string text = padding + rows + padding + padding;
  int64_t values[4] = {0, 0, 0, 0};
  const cvl::rows::ColumnTarget column{values, integer};
  cvl::rows::RowCursor cursor{0, 4, 0};
  if (cvl::rows::makeRowReader(kernel, &column, &column + 1)
          ->readRows(text.data() + padding.size(), rows.size(), cursor) != nullptr) {
    return std::nullopt;
  }
  return integer ? int64_t{reinterpret_cast<const int32_t*>(values)[place]} : values[place];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string_view token = input.substr(0, input.find_first_of(" \t\n\v\f\r"));
  if (token.empty() || token.size() > 400) return 0;
  const auto wantDouble = referenceNumber<double>(token);
  const auto wantInt = referenceNumber<int64_t>(token);
  const char* const end = token.data() + token.size();
  const auto wholeDouble = cvl::numbers::readWholeDouble(token.data(), end);
  if (wholeDouble.ok() != wantDouble.has_value() ||
      std::bit_cast<uint64_t>(wholeDouble.value) !=
          std::bit_cast<uint64_t>(wantDouble.value_or(0))) {
    mismatch("the full grammar", "double", token);
  }
  const auto wholeInt = cvl::numbers::readWholeInt64(token.data(), end);
  if (wholeInt.ok() != wantInt.has_value() || wholeInt.value != wantInt.value_or(0)) {
    mismatch("the full grammar", "integer", token);
  }
  // In a row, a NUL byte ends the line's text rather than belonging to a token.
  if (token.find('\0') != std::string_view::npos) return 0;
  const int place = static_cast<int>(size % 4);
  for (const cvl::rows::RowKernel* kernel : cvl::rows::supportedRowKernels()) {
    const auto gotDouble = readInRows(*kernel, token, place, false);
    if (gotDouble.has_value() != wantDouble.has_value() ||
        gotDouble.value_or(0) != std::bit_cast<int64_t>(wantDouble.value_or(0))) {
      mismatch(kernel->name, "double", token);
    }
    const auto gotInt = readInRows(*kernel, token, place, true);
    if (gotInt.has_value() != wantInt.has_value() ||
        gotInt.value_or(0) != static_cast<int32_t>(wantInt.value_or(0))) {
      mismatch(kernel->name, "integer", token);
    }
  }
  return 0;
}
