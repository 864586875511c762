// The indexed data row reader, built for AVX2 (see indexed_rows.h). Everything here but
// readIndexedRows has internal linkage and nothing uses the standard library's templates, so that
// no function built for AVX2 can stand in for a baseline one at link time.
//
// Pass 1 turns each 64-byte step of the block into bit masks of white space and line ends, and
// writes the offsets of the token boundaries and the line ends into arrays. Pass 2 then reads
// four rows at a time, column by column: the four tokens of a column are converted together (the
// printf shape [sign]d.<1 to 10 digits>e<sign>dd of at most 16 bytes checked and its digits
// summed with vector operations, the powers of ten applied by one vector multiplication and
// division), and their values stored with one write. The conversions of successive columns do not
// depend on each other, so that the processor overlaps them.
#include <immintrin.h>

#include <cstring>

#include "addon/rows/indexed_rows.h"

namespace cvl {
namespace {

using RowEnd = RowIndexMemory::RowEnd;

// ---- The printf shape of four tokens at once.
//
// A token's 16 bytes before its end are loaded into one 128-bit lane: lane 10 - n the leading
// digit, 11 - n the point, the n digits of the fraction at 12 - n to 11, 'e' or 'E' at 12, the
// exponent's sign at 13 and its digits at 14 and 15; the mantissa's sign, if any, just before
// the leading digit. The tables are indexed by a key of the token's length and whether it starts
// with a sign: 2 x min(length, 17) + signed.

constexpr int kKeys = 36;
constexpr int kPowerIndices = 400;  // exponent 0-99, + 100 for a negative one, + 200 negative value

struct ShapeTables {
  // For each key: the bytes that make the digits of the mantissa a number of 12 decimal places
  // with the leading digit at place 1 (lane 1), and the signs and exponent digits at 12 to 15.
  alignas(16) unsigned char gather[kKeys][16];
  // Lanes that must hold digits (bits 0-15) and the lanes of the point, 'e' and the exponent's
  // sign (bits 32-47); for a key of no shape, a pattern that no text meets.
  uint64_t wanted[kKeys];
  // For the power index of a value: the factor (with the value's sign) and the divisor that give
  // mantissa x 10^(exponent - 10) with one rounding; the divisor is -1 beyond the exact range.
  struct Power {
    double factor;
    double divisor;
  };
  alignas(16) Power power[kPowerIndices];
  unsigned char isSign[256];
};

// Evaluated by the compiler only: the tables are constants of the program.
consteval ShapeTables makeShapeTables() {
  ShapeTables t{};
  for (int key = 0; key < kKeys; ++key) {
    const int length = key / 2;
    const int hasSign = key % 2;
    const int n = length - 6 - hasSign;                                // digits after the point
    for (int lane = 0; lane < 16; ++lane) t.gather[key][lane] = 0x80;  // zero
    if (n < 1 || n > 10 - hasSign) {
      t.wanted[key] = 0xFFFF | (uint64_t{0xFFFF} << 32);  // a lane cannot be both
      continue;
    }
    const int lead = 10 - n;
    t.gather[key][1] = static_cast<unsigned char>(lead);
    for (int i = 0; i < n; ++i) t.gather[key][2 + i] = static_cast<unsigned char>(12 - n + i);
    // The value's sign: the token's first byte, when it has one (never a byte before the token).
    if (hasSign == 1) t.gather[key][12] = static_cast<unsigned char>(lead - 1);
    t.gather[key][13] = 13;
    t.gather[key][14] = 14;
    t.gather[key][15] = 15;
    uint64_t digits = (1u << lead) | (1u << 14) | (1u << 15);
    for (int lane = 12 - n; lane < 12; ++lane) digits |= 1u << lane;
    const uint64_t literals = (1u << (11 - n)) | (1u << 12) | (1u << 13);
    t.wanted[key] = digits | (literals << 32);
  }
  for (int index = 0; index < kPowerIndices; ++index) {
    const int written = index % 100;
    const int exponent = ((index / 100) % 2 == 1 ? -written : written) - 10;
    const double sign = index >= 200 ? -1.0 : 1.0;
    if (exponent < -22 || exponent > 22) {
      t.power[index] = {sign, -1.0};
      continue;
    }
    double power = 1.0;  // exact: every power of ten up to 10^22 is a double
    for (int i = 0; i < (exponent < 0 ? -exponent : exponent); ++i) power *= 10.0;
    t.power[index] = {sign * (exponent >= 0 ? power : 1.0), exponent < 0 ? power : 1.0};
  }
  t.isSign[static_cast<unsigned char>('+')] = 1;
  t.isSign[static_cast<unsigned char>('-')] = 1;
  return t;
}

constexpr ShapeTables kShape = makeShapeTables();

// The key of the token [begin, end), a boundary pair of the index.
[[gnu::always_inline]] inline unsigned shapeKey(const char* data, const uint32_t* token) {
  const uint32_t length = token[1] - token[0];
  const unsigned clamped = length < 17 ? length : 17;
  return 2 * clamped + kShape.isSign[static_cast<unsigned char>(data[token[0]])];
}

[[gnu::always_inline]] inline __m256i loadTwo(const void* low, const void* high) {
  return _mm256_loadu2_m128i(static_cast<const __m128i*>(high), static_cast<const __m128i*>(low));
}

// Checks the shape of the two tokens of text (keys lowKey, highKey) and gives their digits in
// the order of ShapeTables::gather: 0-9 for a digit, 1 for a '-', 0 for anything else. Returns
// the wanted lanes that do not hold what they should (bits 0-15 and 32-47 the low token's).
[[gnu::always_inline]] inline uint64_t classify(__m256i text, unsigned lowKey, unsigned highKey,
                                                __m256i& digits) {
  const __m256i lowerE = _mm256_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x20, 0, 0, 0, 0, 0,
                                          0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x20, 0, 0, 0);
  const __m256i minusLiterals =
      _mm256_setr_epi8('.', '.', '.', '.', '.', '.', '.', '.', '.', '.', '.', '.', 'e', '-', 1, 1,
                       '.', '.', '.', '.', '.', '.', '.', '.', '.', '.', '.', '.', 'e', '-', 1, 1);
  const __m256i plusLiterals =
      _mm256_setr_epi8('.', '.', '.', '.', '.', '.', '.', '.', '.', '.', '.', '.', 'e', '+', 1, 1,
                       '.', '.', '.', '.', '.', '.', '.', '.', '.', '.', '.', '.', 'e', '+', 1, 1);
  const __m256i folded = _mm256_or_si256(text, lowerE);
  const __m256i literals = _mm256_or_si256(_mm256_cmpeq_epi8(folded, minusLiterals),
                                           _mm256_cmpeq_epi8(folded, plusLiterals));
  const __m256i values = _mm256_sub_epi8(text, _mm256_set1_epi8('0'));
  const __m256i isDigit = _mm256_cmpeq_epi8(_mm256_min_epu8(values, _mm256_set1_epi8(9)), values);
  const __m256i isMinus = _mm256_cmpeq_epi8(text, _mm256_set1_epi8('-'));
  digits = _mm256_or_si256(_mm256_and_si256(values, isDigit),
                           _mm256_and_si256(isMinus, _mm256_set1_epi8(1)));
  const uint64_t found = static_cast<uint32_t>(_mm256_movemask_epi8(isDigit)) |
                         uint64_t{static_cast<uint32_t>(_mm256_movemask_epi8(literals))} << 32;
  const uint64_t wanted = kShape.wanted[lowKey] | kShape.wanted[highKey] << 16;
  return (found & wanted) ^ wanted;
}

// The four values, when ok; ok is false when a token is not in the shape or its power of ten is
// beyond the exact range. For the tokens that are not ok: the lanes of missing shape (bits 0-15
// token 0, 16-31 token 2, 32-47 token 1, 48-63 token 3), the lanes beyond the exact range (bit i
// token i), and each token's mantissa and power index.
struct FourValues {
  __m256d values;
  bool ok;
  uint64_t missingA;
  uint64_t missingB;
  int far;
  __m256d mantissa;
  __m128i powerIndex;
};

// Converts the tokens t0 to t3 (boundary pairs of the index into data).
[[gnu::always_inline]] inline FourValues convertFour(const char* data, const uint32_t* t0,
                                                     const uint32_t* t1, const uint32_t* t2,
                                                     const uint32_t* t3) {
  const unsigned k0 = shapeKey(data, t0);
  const unsigned k1 = shapeKey(data, t1);
  const unsigned k2 = shapeKey(data, t2);
  const unsigned k3 = shapeKey(data, t3);
  // Tokens 0 and 2 in one register, 1 and 3 in the other: unpacking them then gives the order
  // 0, 1, 2, 3.
  const __m256i textA = loadTwo(data + t0[1] - 16, data + t2[1] - 16);
  const __m256i textB = loadTwo(data + t1[1] - 16, data + t3[1] - 16);
  __m256i digitsA;
  __m256i digitsB;
  const uint64_t missingA = classify(textA, k0, k2, digitsA);
  const uint64_t missingB = classify(textB, k1, k3, digitsB);
  // Pairs of places, then fours: per token the mantissa in three groups of four digits and, in
  // the fourth, the power index 200 x (value negative) + 100 x (exponent negative) + exponent.
  const __m256i placeWeights =
      _mm256_setr_epi8(10, 1, 10, 1, 10, 1, 10, 1, 10, 1, 10, 1, 20, 10, 10, 1, 10, 1, 10, 1, 10, 1,
                       10, 1, 10, 1, 10, 1, 20, 10, 10, 1);
  const __m256i pairWeights =
      _mm256_setr_epi16(100, 1, 100, 1, 100, 1, 10, 1, 100, 1, 100, 1, 100, 1, 10, 1);
  const auto fours = [&](__m256i digits, unsigned lowKey, unsigned highKey) {
    const __m256i order = loadTwo(kShape.gather[lowKey], kShape.gather[highKey]);
    const __m256i pairs = _mm256_maddubs_epi16(_mm256_shuffle_epi8(digits, order), placeWeights);
    return _mm256_madd_epi16(pairs, pairWeights);
  };
  const __m256i foursA = fours(digitsA, k0, k2);
  const __m256i foursB = fours(digitsB, k1, k3);
  const __m256i low = _mm256_permute4x64_epi64(_mm256_unpacklo_epi32(foursA, foursB), 0xD8);
  const __m256i high = _mm256_permute4x64_epi64(_mm256_unpackhi_epi32(foursA, foursB), 0xD8);
  const __m256d group0 = _mm256_cvtepi32_pd(_mm256_castsi256_si128(low));
  const __m256d group1 = _mm256_cvtepi32_pd(_mm256_extracti128_si256(low, 1));
  const __m256d group2 = _mm256_cvtepi32_pd(_mm256_castsi256_si128(high));
  // Digits in the wrong places can make any index up to 2799: kept within the tables.
  const __m128i powerIndex =
      _mm_min_epu32(_mm256_extracti128_si256(high, 1), _mm_set1_epi32(kPowerIndices - 1));
  // Below 10^12, so every step is exact.
  const __m256d mantissa = _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(group0, _mm256_set1_pd(1e8)),
                                                       _mm256_mul_pd(group1, _mm256_set1_pd(1e4))),
                                         group2);
  // Each token's factor and divisor, one 16-byte load each (cheaper than two gathers).
  const auto power = [](int index) {
    return reinterpret_cast<const double*>(&kShape.power[index]);  // its first member
  };
  const __m256d powers02 = _mm256_loadu2_m128d(power(_mm_extract_epi32(powerIndex, 2)),
                                               power(_mm_cvtsi128_si32(powerIndex)));
  const __m256d powers13 = _mm256_loadu2_m128d(power(_mm_extract_epi32(powerIndex, 3)),
                                               power(_mm_extract_epi32(powerIndex, 1)));
  const __m256d factor = _mm256_unpacklo_pd(powers02, powers13);
  const __m256d divisor = _mm256_unpackhi_pd(powers02, powers13);
  // One of the two operations is exact (by or through 1), so the value is rounded once.
  const __m256d values = _mm256_div_pd(_mm256_mul_pd(mantissa, factor), divisor);
  const int far = _mm256_movemask_pd(divisor);
  return {values,    (missingA | missingB | static_cast<uint64_t>(far)) == 0,
          missingA,  missingB,
          far,       mantissa,
          powerIndex};
}

// Writes the values of four tokens to slot: those that convertFour took from four, those beyond
// the exact range from their mantissa and power, those of another form (or that the exact product
// cannot decide) in the full grammar. False when one of them is no number. Takes four's parts by
// value, so that the common path keeps them in registers.
[[gnu::noinline]] bool readOthers(const char* lines, const uint32_t* t0, const uint32_t* t1,
                                  const uint32_t* t2, const uint32_t* t3, __m256d values,
                                  __m256d mantissas, __m128i powerIndices, uint64_t missingA,
                                  uint64_t missingB, int far, double* slot) {
  // Unaligned moves: not every compiler aligns the stack to 32 bytes.
  double mantissa[4];
  int32_t powerIndex[4];
  _mm256_storeu_pd(slot, values);
  _mm256_storeu_pd(mantissa, mantissas);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(powerIndex), powerIndices);
  const uint32_t* const tokens[4] = {t0, t1, t2, t3};
  const uint64_t missing[4] = {missingA & 0x0000FFFF0000FFFF, missingB & 0x0000FFFF0000FFFF,
                               missingA & 0xFFFF0000FFFF0000, missingB & 0xFFFF0000FFFF0000};
  for (int i = 0; i < 4; ++i) {
    if (missing[i] == 0 && ((far >> i) & 1) == 0) continue;
    if (missing[i] == 0) {
      const int written = powerIndex[i] % 100;
      const int exponent = ((powerIndex[i] / 100) % 2 == 1 ? -written : written) - 10;
      if (exactPowerProduct(static_cast<uint64_t>(mantissa[i]), exponent, powerIndex[i] >= 200,
                            slot[i])) {
        continue;
      }
    }
    if (!readDoubleToken(lines + tokens[i][0], lines + tokens[i][1], slot[i])) return false;
  }
  return true;
}

// ---- Pass 1: the index.

// Bit i set when byte i of the 64 from p is white space (space, tab, LF, VT, FF, CR), and when it
// is '\n'. (A NUL byte, which ends a line's text, is taken as a token byte here: it leaves its
// row irregular or a token out of shape, and such rows are walked.)
struct StepMasks {
  uint64_t whiteSpace;
  uint64_t newlines;
};

[[gnu::always_inline]] inline StepMasks stepMasks(const char* p) {
  const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
  const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
  const auto whiteSpace = [](__m256i bytes) {
    const __m256i control = _mm256_sub_epi8(bytes, _mm256_set1_epi8('\t'));
    return static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_or_si256(
        _mm256_cmpeq_epi8(bytes, _mm256_set1_epi8(' ')),
        _mm256_cmpeq_epi8(_mm256_min_epu8(control, _mm256_set1_epi8(4)), control))));
  };
  const auto equal = [](__m256i bytes, char c) {
    return static_cast<uint32_t>(
        _mm256_movemask_epi8(_mm256_cmpeq_epi8(bytes, _mm256_set1_epi8(c))));
  };
  return {whiteSpace(low) | uint64_t{whiteSpace(high)} << 32,
          equal(low, '\n') | uint64_t{equal(high, '\n')} << 32};
}

// Writes base + the place of every set bit of bits, in order, at out; returns the end. Writes up
// to 8 entries past the end, within the index's slack.
[[gnu::always_inline]] inline uint32_t* writeBits(uint32_t* out, uint64_t bits, uint32_t base) {
  const auto count = static_cast<int>(_mm_popcnt_u64(bits));
  uint32_t* const end = out + count;
  do {
#pragma GCC unroll 8
    for (int i = 0; i < 8; ++i) {
      out[i] = base + static_cast<uint32_t>(_tzcnt_u64(bits));
      bits = _blsr_u64(bits);
    }
    out += 8;
  } while (bits != 0);
  return end;
}

// The index of one block: where pass 1 stands, what it wrote, and which rows pass 2 has taken.
struct Index {
  uint32_t* bounds;     // token boundaries, as offsets in the block
  RowEnd* rowEnds;      // line ends
  uint32_t* nextBound;  // where the next boundary goes
  RowEnd* nextRowEnd;   // where the next line end goes
  uint32_t firstBound;  // number of the boundary at bounds[0]
  uint32_t rowStart;    // number of the first boundary of the next row to read
  size_t scanned;       // the offset of the next step to scan
  uint64_t carry;       // 1 when the last byte scanned belongs to a token

  uint32_t boundCount() const { return firstBound + static_cast<uint32_t>(nextBound - bounds); }
  const uint32_t* boundAt(uint32_t number) const { return bounds + (number - firstBound); }
};

// An index that holds nothing and scans from the offset from.
Index emptyIndex(const RowIndexMemory& memory, size_t from) {
  return {memory.bounds(), memory.rowEnds(), memory.bounds(), memory.rowEnds(), 0, 0, from, 0};
}

// Scans steps of the block until it ends or the index is nearly full.
void scan(const char* lines, size_t size, Index& index) {
  const uint32_t* const boundLimit = index.bounds + RowIndexMemory::kBoundCapacity - 64;
  const RowEnd* const rowLimit = index.rowEnds + RowIndexMemory::kRowCapacity - 64;
  while (index.scanned < size && index.nextBound <= boundLimit && index.nextRowEnd <= rowLimit) {
    const size_t at = index.scanned;
    StepMasks masks = stepMasks(lines + at);
    if (size - at < 64) {
      // Bytes past the block's end count as white space.
      const uint64_t outside = ~uint64_t{0} << (size - at);
      masks.whiteSpace |= outside;
      masks.newlines &= ~outside;
    }
    const uint64_t tokenBytes = ~masks.whiteSpace;
    const uint64_t boundaries = tokenBytes ^ (tokenBytes << 1 | index.carry);
    index.carry = tokenBytes >> 63;
    const uint32_t before = index.boundCount();
    for (uint64_t ends = masks.newlines; ends != 0; ends = _blsr_u64(ends)) {
      const auto place = static_cast<unsigned>(_tzcnt_u64(ends));
      const uint64_t upTo = (uint64_t{2} << place) - 1;
      *index.nextRowEnd++ = {before + static_cast<uint32_t>(_mm_popcnt_u64(boundaries & upTo)),
                             static_cast<uint32_t>(at + place + 1)};
    }
    if (boundaries != 0) {
      index.nextBound = writeBits(index.nextBound, boundaries, static_cast<uint32_t>(at));
    }
    index.scanned = at + 64;
  }
}

// ---- Pass 2: four rows at a time.

// The low 32 bits of the integer token (a boundary pair) of at most 8 digits after an optional
// sign, read from the 8 bytes before its end; returns 1 then, 0 for any other token (a number, so
// that the results of several tokens combine without a branch).
[[gnu::always_inline]] inline unsigned shortInteger(const char* data, const uint32_t* token,
                                                    int32_t& value) {
  const char lead = data[token[0]];
  const uint32_t hasSign = kShape.isSign[static_cast<unsigned char>(lead)];
  const uint32_t digits = token[1] - token[0] - hasSign;
  if (digits - 1 > 7) return 0;
  uint64_t text;
  std::memcpy(&text, data + token[1] - 8, 8);
  // The digits are the top bytes (the last one lowest in value); the bytes below read as '0'.
  const uint64_t kept = ~uint64_t{0} << (64 - 8 * digits);
  const uint64_t zeros = 0x3030303030303030;
  text = (text & kept) | (zeros & ~kept);
  if ((((text - zeros) | (text + 0x4646464646464646)) & 0x8080808080808080) != 0) return 0;
  uint64_t v = text - zeros;
  v = (v * 10 + (v >> 8)) & 0x00FF00FF00FF00FF;
  v = (v * 100 + (v >> 16)) & 0x0000FFFF0000FFFF;
  v = (v * 10000 + (v >> 32)) & 0xFFFFFFFF;
  value = static_cast<int32_t>(lead == '-' ? 0 - v : v);
  return 1;
}

// The four rows of a group: where each one's boundaries start (two per column).
struct FourRows {
  const uint32_t* row0;
  const uint32_t* row1;
  const uint32_t* row2;
  const uint32_t* row3;
};

// Converts the columns from `column` on into their slots of `values` (32 bytes each) while they
// take the common path, and returns the first column that does not (last when none). Makes no
// call, so that the constants stay in registers.
[[gnu::always_inline]] inline size_t convertColumns(const char* lines, const FourRows& rows,
                                                    size_t column, size_t count,
                                                    const ColumnTarget* columns,
                                                    unsigned char* values) {
  for (; column < count; ++column) {
    const size_t at = 2 * column;
    unsigned char* const slot = values + 32 * column;
    if (!columns[column].isInteger) {
      const FourValues four =
          convertFour(lines, rows.row0 + at, rows.row1 + at, rows.row2 + at, rows.row3 + at);
      if (!four.ok) [[unlikely]] {
        break;
      }
      _mm256_storeu_pd(reinterpret_cast<double*>(slot), four.values);
    } else {
      int32_t* const integers = reinterpret_cast<int32_t*>(slot);
      if ((shortInteger(lines, rows.row0 + at, integers[0]) &
           shortInteger(lines, rows.row1 + at, integers[1]) &
           shortInteger(lines, rows.row2 + at, integers[2]) &
           shortInteger(lines, rows.row3 + at, integers[3])) == 0) [[unlikely]] {
        break;
      }
    }
  }
  return column;
}

// Converts one column of the four rows that convertColumns left, in the full grammar. False
// when one of its tokens is no number.
[[gnu::noinline]] bool convertOtherColumn(const char* lines, const FourRows& rows, size_t column,
                                          const ColumnTarget& target, unsigned char* slot) {
  const size_t at = 2 * column;
  const uint32_t* const t0 = rows.row0 + at;
  const uint32_t* const t1 = rows.row1 + at;
  const uint32_t* const t2 = rows.row2 + at;
  const uint32_t* const t3 = rows.row3 + at;
  if (target.isInteger) {
    int32_t* const integers = reinterpret_cast<int32_t*>(slot);
    return readIntegerToken(lines + t0[0], lines + t0[1], integers[0]) &&
           readIntegerToken(lines + t1[0], lines + t1[1], integers[1]) &&
           readIntegerToken(lines + t2[0], lines + t2[1], integers[2]) &&
           readIntegerToken(lines + t3[0], lines + t3[1], integers[3]);
  }
  const FourValues four = convertFour(lines, t0, t1, t2, t3);
  return readOthers(lines, t0, t1, t2, t3, four.values, four.mantissa, four.powerIndex,
                    four.missingA, four.missingB, four.far, reinterpret_cast<double*>(slot));
}

// Reads the four rows into element row to row + 3 of every column's array. The values are
// gathered in `values` (32 bytes per column) and stored only when every token has read, so that
// a faulty group leaves the arrays as they were and its rows can be read again one by one. False
// when a token does not read.
bool readFourRows(const char* lines, const FourRows& rows, int64_t row, const ColumnTarget* first,
                  const ColumnTarget* last, unsigned char* values) {
  const auto count = static_cast<size_t>(last - first);
  for (size_t column = 0;; ++column) {
    column = convertColumns(lines, rows, column, count, first, values);
    if (column == count) break;
    if (!convertOtherColumn(lines, rows, column, first[column], values + 32 * column)) {
      return false;
    }
  }
  const unsigned char* slot = values;
  for (const ColumnTarget* column = first; column != last; ++column, slot += 32) {
    if (!column->isInteger) {
      _mm256_storeu_pd(static_cast<double*>(column->values) + row,
                       _mm256_loadu_pd(reinterpret_cast<const double*>(slot)));
    } else {
      std::memcpy(static_cast<int32_t*>(column->values) + row, slot, 4 * sizeof(int32_t));
    }
  }
  return true;
}

}  // namespace

const char* readIndexedRows(const char* lines, size_t size, RowCursor& cursor,
                            const ColumnTarget* first, const ColumnTarget* last,
                            const RowIndexMemory& memory) {
  // Offsets are 32-bit.
  if (size > UINT32_MAX - 128) return walkRows(lines, size, cursor, INT64_MAX, first, last);
  const auto rowBounds = static_cast<uint32_t>(2 * (last - first));
  Index index = emptyIndex(memory, cursor.from);
  for (;;) {
    scan(lines, size, index);
    const bool blockScanned = index.scanned >= size;
    // The rows whose line end the index holds: four at a time where they have the same number of
    // tokens as the first row, else one by one.
    const RowEnd* row = index.rowEnds;
    const RowEnd* const rowsEnd = index.nextRowEnd;
    while (row != rowsEnd && cursor.row < cursor.rowLimit) {
      if (rowsEnd - row >= 4 && cursor.rowLimit - cursor.row >= 4) {
        const uint32_t start = index.rowStart;
        if (row[0].bound - start == rowBounds && row[1].bound - row[0].bound == rowBounds &&
            row[2].bound - row[1].bound == rowBounds && row[3].bound - row[2].bound == rowBounds) {
          const FourRows rows{index.boundAt(start), index.boundAt(row[0].bound),
                              index.boundAt(row[1].bound), index.boundAt(row[2].bound)};
          if (readFourRows(lines, rows, cursor.row, first, last, memory.groupValues())) [[likely]] {
            cursor.row += 4;
            cursor.from = row[3].next;
          } else if (const char* message = walkRows(lines, size, cursor, 4, first, last)) {
            return message;
          }
          index.rowStart = row[3].bound;
          row += 4;
          continue;
        }
      } else if (!blockScanned && cursor.rowLimit - cursor.row >= 4 &&
                 index.boundCount() - index.rowStart <= RowIndexMemory::kBoundCapacity / 2) {
        break;  // kept for a group with the rows of the next scan
      }
      if (const char* message = walkRows(lines, size, cursor, 1, first, last)) return message;
      index.rowStart = row[0].bound;
      ++row;
    }
    if (cursor.row >= cursor.rowLimit || blockScanned) return nullptr;
    if (row == index.rowEnds) {
      // The scan took no row: one row fills the index. It is walked, and the scan starts again
      // after it.
      if (const char* message = walkRows(lines, size, cursor, 1, first, last)) return message;
      if (cursor.from >= size) return nullptr;
      index = emptyIndex(memory, cursor.from);
      continue;
    }
    // Keep the rows not yet read, and the row under way, at the front of the index.
    const uint32_t* const keep = index.boundAt(index.rowStart);
    const auto kept = static_cast<size_t>(index.nextBound - keep);
    std::memmove(index.bounds, keep, kept * sizeof(uint32_t));
    index.nextBound = index.bounds + kept;
    index.firstBound = index.rowStart;
    const auto keptRows = static_cast<size_t>(rowsEnd - row);
    std::memmove(index.rowEnds, row, keptRows * sizeof(RowEnd));
    index.nextRowEnd = index.rowEnds + keptRows;
  }
}

}  // namespace cvl
