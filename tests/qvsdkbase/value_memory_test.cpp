// The memory behind value arrays: small arrays from the C library, large ones and large zone
// blocks as zeroed pages straight from the system; all zero-filled and writable to the last byte.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>

#include "qvsdkbase/host_control.h"

namespace {

// Expects the bytes at the start, middle and end zero, then writes them and reads them back.
void expectZeroedAndWritable(void* data, size_t bytes, const char* what) {
  auto* at = static_cast<unsigned char*>(data);
  const size_t offsets[] = {0, bytes / 2, bytes - 1};
  for (const size_t offset : offsets) EXPECT_EQ(at[offset], 0) << what << " at " << offset;
  for (const size_t offset : offsets) at[offset] = 0x5a;
  for (const size_t offset : offsets) EXPECT_EQ(at[offset], 0x5a) << what << " at " << offset;
}

TEST(ValueMemory, ArraysAndBlocksAreZeroedAndWritableOnEitherSideOfThePageThreshold) {
  const struct {
    QvDataType type;
    int64_t size;
    bool ownPages;  // mapped from the system rather than taken from the C library
  } arrays[] = {
      {QV_DATATYPE_DOUBLE, 0, false},
      {QV_DATATYPE_INT32, 1000, false},
      {QV_DATATYPE_DOUBLE, (int64_t{2} << 20) / 8 - 1, false},
      {QV_DATATYPE_DOUBLE, (int64_t{2} << 20) / 8, true},
      {QV_DATATYPE_INT32, int64_t{3} << 20, true},
  };
  for (const auto& a : arrays) {
    const qvsdkbase::ValueArray array(a.type, a.size);
    const size_t bytes =
        static_cast<size_t>(a.size == 0 ? 1 : a.size) * (a.type == QV_DATATYPE_INT32 ? 4 : 8);
    EXPECT_EQ(array.mappedBytes != 0, a.ownPages) << a.size << " values of type " << a.type;
    expectZeroedAndWritable(array.data, bytes, "array");
  }
  for (const size_t bytes : {size_t{0}, size_t{4096}, size_t{2} << 20, size_t{24} << 20}) {
    const std::shared_ptr<void> block = qvsdkbase::allocateValueBlock(bytes);
    ASSERT_NE(block, nullptr) << bytes;
    expectZeroedAndWritable(block.get(), bytes == 0 ? 1 : bytes, "block");
  }
}

}  // namespace
