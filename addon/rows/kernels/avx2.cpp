// The AVX2 kernel (with BMI1 and POPCNT), compiled for them in this translation unit alone and run
// only where the processor has them. Everything here lives in namespace cvl::rows::avx2 or has
// internal linkage, the shared pieces of the number grammar and the token walk included (see
// addon/numbers/isa.h), and nothing uses the standard library's templates, so that no function
// built for AVX2 can stand in for a baseline one at link time.
//
// Pass 1 turns each 64-byte step of the block into bit masks of white space and line ends, and
// writes the offsets of the token boundaries and the line ends into arrays. Pass 2 then reads
// four rows at a time, column by column: the four tokens of a column are converted together (the
// printf shape of addon/numbers/exponent_shape.h checked and its digits summed with vector
// operations, the powers of ten applied by one vector multiplication and division), and their
// values stored with one write. The conversions of successive columns do not depend on each other,
// so that the processor overlaps them. A group of four rows is taken only when each has the
// number of tokens of a row; every other row, and a group in which a token does not read, goes
// through the token walk.
#define CVL_ISA avx2

#include <immintrin.h>

#include <cstring>

#include "addon/numbers/exponent_shape.h"
#include "addon/numbers/number_readers.h"
#include "addon/numbers/white_space.h"
#include "addon/rows/cpu_features.h"
#include "addon/rows/kernels/kernels_internal.h"
#include "addon/rows/token_walk.h"

namespace cvl::rows::avx2 {
namespace {

using cvl::numbers::kPowerIndices;
using cvl::numbers::kShape;
using cvl::numbers::kShapeKeys;

// Token boundaries (a token's first byte and the byte after it) held at once, and rows.
constexpr size_t kBoundCapacity = 8192;
constexpr size_t kRowCapacity = 1024;
// Room after the capacities for the writes of one more 64-byte step.
constexpr size_t kSlack = 128;

// One line end: the number of token boundaries before it, counted from the block's first, and the
// offset of the byte after it.
struct RowEnd {
  uint32_t bound;
  uint32_t next;
};

// ---- The printf shape of four tokens at once (the description: addon/numbers/exponent_shape.h).

// The key of the token [begin, end), a boundary pair of the index.
[[gnu::always_inline]] inline unsigned shapeKey(const char* data, const uint32_t* token) {
  return numbers::shapeKey(token[1] - token[0], data[token[0]]);
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
      const int exponent = numbers::powerIndexExponent(powerIndex[i]) - 10;
      const cvl::numbers::Parsed<double> product =
          numbers::exactProduct(static_cast<uint64_t>(mantissa[i]), exponent, powerIndex[i] >= 200);
      if (product.ok) {
        slot[i] = product.value;
        continue;
      }
    }
    const cvl::numbers::Parsed<double> other =
        numbers::readDouble(lines + tokens[i][0], lines + tokens[i][1]);
    if (!other.ok) return false;
    slot[i] = other.value;
  }
  return true;
}

// ---- Pass 1: the index.

// The white space and newlines of each 64-byte step: addon/numbers/white_space.h. (A NUL byte,
// which ends a line's text, is taken as a token byte here: it leaves its row irregular or a token
// out of shape, and such rows are walked.)

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
Index emptyIndex(uint32_t* bounds, RowEnd* rowEnds, size_t from) {
  return {bounds, rowEnds, bounds, rowEnds, 0, 0, from, 0};
}

// Scans steps of the block until it ends or the index is nearly full.
void scan(const char* lines, size_t size, Index& index) {
  const uint32_t* const boundLimit = index.bounds + kBoundCapacity - 64;
  const RowEnd* const rowLimit = index.rowEnds + kRowCapacity - 64;
  while (index.scanned < size && index.nextBound <= boundLimit && index.nextRowEnd <= rowLimit) {
    const size_t at = index.scanned;
    numbers::BlockMasks masks = numbers::blockMasks(lines + at);
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

// The integer of a token (a boundary pair) of at most 8 digits after an optional sign, read at
// once (addon/numbers/digits.h); its low 32 bits go to value. Returns 1 then, 0 for any other
// token (a number, so that the results of several tokens combine without a branch).
[[gnu::always_inline]] inline unsigned shortInteger(const char* data, const uint32_t* token,
                                                    int32_t& value) {
  const cvl::numbers::Parsed<int64_t> read =
      numbers::readShortInteger(data + token[0], data + token[1]);
  value = static_cast<int32_t>(read.value);
  return read.ok ? 1 : 0;
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
    const uint32_t* const tokens[4] = {t0, t1, t2, t3};
    for (int i = 0; i < 4; ++i) {
      const cvl::numbers::Parsed<int64_t> read =
          numbers::readInteger(lines + tokens[i][0], lines + tokens[i][1]);
      if (!read.ok) return false;
      // Only the low 32 bits are kept; a value out of range is not refused.
      integers[i] = static_cast<int32_t>(read.value);
    }
    return true;
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

// The memory that the reader reuses from block to block, made once per file in one allocation
// (so that a failing one leaves nothing to free): the index's boundaries and line ends, and 32
// bytes per column, aligned to 32, for the values of a group of four rows until all have read.
class Reader final : public RowReader {
 public:
  Reader(const ColumnTarget* first, const ColumnTarget* last)
      : first_(first),
        last_(last),
        memory_(new unsigned char[kGroupValuesAt + 32 * static_cast<size_t>(last - first) + 32]),
        bounds_(reinterpret_cast<uint32_t*>(memory_)),
        rowEnds_(reinterpret_cast<RowEnd*>(memory_ + kRowEndsAt)),
        groupValues_(memory_ + kGroupValuesAt +
                     (32 - reinterpret_cast<uintptr_t>(memory_ + kGroupValuesAt) % 32)) {}
  ~Reader() override { delete[] memory_; }
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;

  const char* readRows(const char* lines, size_t size, RowCursor& cursor) override;

 private:
  static constexpr size_t kRowEndsAt = (kBoundCapacity + kSlack) * sizeof(uint32_t);
  static constexpr size_t kGroupValuesAt = kRowEndsAt + (kRowCapacity + kSlack) * sizeof(RowEnd);

  const ColumnTarget* const first_;
  const ColumnTarget* const last_;
  unsigned char* const memory_;
  uint32_t* const bounds_;
  RowEnd* const rowEnds_;
  unsigned char* const groupValues_;
};

const char* Reader::readRows(const char* lines, size_t size, RowCursor& cursor) {
  const ColumnTarget* const first = first_;
  const ColumnTarget* const last = last_;
  // Offsets are 32-bit.
  if (size > UINT32_MAX - 128) return walkRows(lines, size, cursor, INT64_MAX, first, last);
  const auto rowBounds = static_cast<uint32_t>(2 * (last - first));
  Index index = emptyIndex(bounds_, rowEnds_, cursor.from);
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
          if (readFourRows(lines, rows, cursor.row, first, last, groupValues_)) [[likely]] {
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
                 index.boundCount() - index.rowStart <= kBoundCapacity / 2) {
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
      index = emptyIndex(bounds_, rowEnds_, cursor.from);
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

bool supported() {
  return processorHasAvx2();
}

RowReader* newReader(const ColumnTarget* first, const ColumnTarget* last) {
  return new Reader(first, last);
}

}  // namespace

const RowKernel kKernel = {
    "avx2", "four rows at a time from an index of each block's tokens; needs AVX2, BMI1 and POPCNT",
    supported, newReader};

}  // namespace cvl::rows::avx2
