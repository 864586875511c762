// The number grammar of a token, stated once, and its faults.
//
// A token (a run of bytes other than white space) is a number when the whole token reads as one:
//
//   double   what std::from_chars reads in its general format from the whole token, with one
//            leading '+' allowed where a '-' could stand: decimal text
//                [sign] digits ['.' [digits]] [('e'|'E') [sign] digits]
//                [sign] '.' digits [('e'|'E') [sign] digits]
//            or "inf", "infinity", "nan", "nan(chars)" in any case, after an optional sign. The
//            value is the decimal text correctly rounded to the nearest double, whatever its
//            length. Out of range, and so no number: a value beyond the largest double, and a
//            non-zero value that rounds to zero (subnormal values are in range). No hexadecimal
//            form, no digit separators, no second sign ("+-1").
//   integer  [sign] digits, in base 10, within the signed 64-bit range; every integer token is a
//            double token too. A 32-bit integer column keeps the low 32 bits of the value.
//
// The readers are built in tiers, each taking what it can and leaving the rest to the next:
//   the printf shape   [sign] digit '.' 1 to 10 digits ('e'|'E') sign digit digit, read at fixed
//                      places of the 16 bytes before the token's end (exponent_shape.h), one token
//                      at a time or four at once in a kernel;
//   the general form   decimal text of at most 19 digits and a 4-digit exponent whose value is
//                      exact in one rounding (general_form.h);
//   the full grammar   everything else, here (full_grammar.cpp).
// Every tier gives exactly the value of the full grammar for what it takes, so that a token
// reads the same whichever tier takes it; the pieces they share (digit summing, the exponent,
// the exact power product, integer reading) are in digits.h and exact_value.h.
#ifndef CVL_ADDON_NUMBERS_NUMBER_GRAMMAR_H
#define CVL_ADDON_NUMBERS_NUMBER_GRAMMAR_H

#include <cstdint>

namespace cvl::numbers {

// Why a token is no number of the grammar.
enum class NumberFault : uint8_t {
  kNone,          // the token is a number
  kEmpty,         // the token has no bytes
  kNoNumber,      // it does not begin with a number: a word, a sign alone or twice, a hex form
  kTrailingText,  // a number followed by bytes that no number has ("1.5x", "1e", "2.5" as an
                  // integer)
  kOutOfRange,    // beyond the largest double or the 64-bit integers, or a non-zero value that
                  // rounds to zero
};

// A sentence that tells what the fault means, for messages of tools and tests.
const char* faultReason(NumberFault fault);

// A value read by a fast tier: ok false leaves the token to the next tier (it is no fault).
// Returned in registers, so that a caller's value needs no address.
template <typename T>
struct Parsed {
  bool ok;
  T value;
};

// A value read by the full grammar, or why the token is no number.
template <typename T>
struct NumberRead {
  T value;  // 0 unless fault is kNone
  NumberFault fault;
  bool ok() const { return fault == NumberFault::kNone; }
};

// The whole token [begin, end) in the full grammar, as a double or as a 64-bit integer.
NumberRead<double> readWholeDouble(const char* begin, const char* end);
NumberRead<int64_t> readWholeInt64(const char* begin, const char* end);

// mantissa x 10^exponent, negated when negative, correctly rounded, by the Eisel-Lemire method:
// the exact power product for what exact_value.h's one-rounding product cannot take. Not ok when
// the method cannot decide the rounding (rare; the full grammar then decides), or when the value
// overflows or is non-zero and rounds to zero (out of range in the grammar).
Parsed<double> eiselLemireProduct(uint64_t mantissa, int exponent, bool negative);

}  // namespace cvl::numbers

#endif  // CVL_ADDON_NUMBERS_NUMBER_GRAMMAR_H
