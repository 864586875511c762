// Fuzz target for the data rows' number parsers: the input, cut at its first white space, is one
// token; it is placed among other bytes as in the line file's window and read as a double and as
// an integer, which must agree bit for bit with std::from_chars (one leading '+' allowed, no
// range error). Where the processor has AVX2 the indexed row reader reads it too, in one of a
// group of four rows of a double column and of an integer column, and must agree as well. A
// disagreement aborts with the token.
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "addon/numbers/padded_number.h"
#include "addon/rows/cpu_features.h"
#include "addon/rows/indexed_rows.h"
#include "tests/support/reference_number.h"

namespace {

using cvl::test::referenceNumber;

[[noreturn]] void mismatch(const char* what, std::string_view token) {
  std::fprintf(stderr, "%s differs from std::from_chars on \"%.*s\"\n", what,
               static_cast<int>(token.size()), token.data());
  std::abort();
}

// Reads four rows of one column, the token in row `place` and "1.5e+00" (or "7") in the others,
// with the indexed reader. False when it reports a fault; else the token's value in `value`.
bool readIndexed(std::string_view token, int place, bool integer, int64_t& value) {
  std::string rows;
  for (int r = 0; r < 4; ++r) {
    rows += r == place ? std::string(token) : integer ? "7" : "1.5e+00";
    rows += '\n';
  }
  const std::string padding(64, '9');
  const std::string text = padding + rows + padding + padding;
  int64_t values[4] = {0, 0, 0, 0};
  const cvl::ColumnTarget column{values, integer};
  cvl::RowCursor cursor{0, 4, 0};
  const cvl::RowIndexMemory memory(1);
  if (cvl::readIndexedRows(text.data() + padding.size(), rows.size(), cursor, &column, &column + 1,
                           memory) != nullptr) {
    return false;
  }
  value = integer ? int64_t{reinterpret_cast<const int32_t*>(values)[place]} : values[place];
  return true;
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
  const auto wantDouble = referenceNumber<double>(token);
  const auto gotDouble = cvl::paddednumber::readDouble(begin, end);
  if (gotDouble.ok != wantDouble.has_value() ||
      (gotDouble.ok &&
       std::bit_cast<uint64_t>(gotDouble.value) != std::bit_cast<uint64_t>(*wantDouble))) {
    mismatch("readDouble", token);
  }
  const auto wantInt = referenceNumber<int64_t>(token);
  const auto gotInt = cvl::paddednumber::readInt64(begin, end);
  if (gotInt.ok != wantInt.has_value() || (gotInt.ok && gotInt.value != *wantInt)) {
    mismatch("readInt64", token);
  }
  // In a row, a NUL byte ends the line's text rather than belonging to a token.
  if (cvl::processorHasAvx2() && token.find('\0') == std::string_view::npos) {
    const int place = static_cast<int>(size % 4);
    int64_t bits = 0;
    const bool indexedDouble = readIndexed(token, place, false, bits);
    if (indexedDouble != wantDouble.has_value() ||
        (indexedDouble && static_cast<uint64_t>(bits) != std::bit_cast<uint64_t>(*wantDouble))) {
      mismatch("the indexed reader's double", token);
    }
    int64_t integer = 0;
    const bool indexedInteger = readIndexed(token, place, true, integer);
    if (indexedInteger != wantInt.has_value() ||
        (indexedInteger && integer != static_cast<int32_t>(*wantInt))) {
      mismatch("the indexed reader's integer", token);
    }
  }
  return 0;
}
