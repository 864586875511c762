// ValueView: the values of one host value array, read with their real type. The one place in
// minihost that knows the host's type codes: the reports and writers ask it for a value as a
// double, whether the values are integers, or have it hand them the values as a span of their
// own type, so that integers are written as integers and doubles keep every bit.
#ifndef CVL_TOOLS_MINIHOST_HOST_VALUE_VIEW_H
#define CVL_TOOLS_MINIHOST_HOST_VALUE_VIEW_H

#include <cstddef>
#include <cstdint>
#include <span>

#include "standins/qvsdkbase/host_control.h"

namespace cvl::minihost {

class ValueView {
 public:
  // A view of the values of values, read in place: it owns nothing and stays valid while values
  // lives and keeps its data. REQUIRES: values.type is QV_DATATYPE_DOUBLE or QV_DATATYPE_INT32
  // (the only types the host makes) and values.data holds values.size values of it.
  explicit ValueView(const qvsdkbase::ValueArray& values)
      : integers_(values.type == QV_DATATYPE_INT32),
        data_(values.data),
        size_(static_cast<size_t>(values.size)) {}

  // The number of values.
  int64_t size() const { return static_cast<int64_t>(size_); }

  // True when the values are 32-bit integers; false when they are doubles.
  bool holdsIntegers() const { return integers_; }

  // The value at index as a double; an integer converts exactly.
  // REQUIRES: 0 <= index < size().
  double at(int64_t index) const {
    const auto i = static_cast<size_t>(index);
    return integers_ ? static_cast<const int32_t*>(data_)[i] : static_cast<const double*>(data_)[i];
  }

  // Calls visitor once with all the values as they are held, a std::span<const int32_t> or a
  // std::span<const double> (valid as long as the view), and returns what it returns. visitor
  // must take both (a generic lambda, or overloads) and return the same type for both.
  template <typename Visitor>
  decltype(auto) visit(Visitor&& visitor) const {
    if (integers_)
      return visitor(std::span<const int32_t>(static_cast<const int32_t*>(data_), size_));
    return visitor(std::span<const double>(static_cast<const double*>(data_), size_));
  }

 private:
  bool integers_;
  const void* data_;
  size_t size_;
};

}  // namespace cvl::minihost

#endif  // CVL_TOOLS_MINIHOST_HOST_VALUE_VIEW_H
