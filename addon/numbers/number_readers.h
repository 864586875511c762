// The number readers: the tiers of the grammar (number_grammar.h) put together, for a whole token.
// Compiled per instruction set (see isa.h).
#ifndef CVL_ADDON_NUMBERS_NUMBER_READERS_H
#define CVL_ADDON_NUMBERS_NUMBER_READERS_H

#include <cstdint>

#include "addon/numbers/digits.h"
#include "addon/numbers/exponent_shape.h"
#include "addon/numbers/general_form.h"
#include "addon/numbers/isa.h"
#include "addon/numbers/number_grammar.h"

namespace cvl::numbers::CVL_ISA {

// The faults of the full grammar are compared here rather than through NumberRead::ok, an inline
// function outside this namespace that would otherwise be emitted under every instruction set.

// The double of the whole token [p, end), from the general form on: for what the printf shape
// does not take, and for text with nothing readable around the token.
CVL_NOINLINE inline Parsed<double> readDoubleInText(const char* p, const char* end) {
  const Parsed<double> general = readGeneral(p, end);
  if (general.ok) return general;
  const NumberRead<double> whole = readWholeDouble(p, end);
  return {whole.fault == NumberFault::kNone, whole.value};
}

// The integer of the whole token [p, end), in any text.
CVL_ALWAYS_INLINE Parsed<int64_t> readIntegerInText(const char* p, const char* end) {
  const Parsed<int64_t> general = readGeneralInteger(p, end);
  if (general.ok) [[likely]] {
    return general;
  }
  const NumberRead<int64_t> whole = readWholeInt64(p, end);
  return {whole.fault == NumberFault::kNone, whole.value};
}

// The double of the whole token [p, end), every tier from the printf shape on. The
// kShapeReach bytes before end must be readable.
CVL_ALWAYS_INLINE Parsed<double> readDouble(const char* p, const char* end) {
  const Parsed<double> shaped = readShape(p, end);
  if (shaped.ok) [[likely]] {
    return shaped;
  }
  return readDoubleInText(p, end);
}

// The integer of the whole token [p, end), a short one read at once. The 8 bytes before end must
// be readable.
CVL_ALWAYS_INLINE Parsed<int64_t> readInteger(const char* p, const char* end) {
  if (p == end) return {false, 0};
  const Parsed<int64_t> shortOne = readShortInteger(p, end);
  if (shortOne.ok) [[likely]] {
    return shortOne;
  }
  return readIntegerInText(p, end);
}

}  // namespace cvl::numbers::CVL_ISA

#endif  // CVL_ADDON_NUMBERS_NUMBER_READERS_H
