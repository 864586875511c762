// Reading the arguments of an X call: each key the call knows, of its kind, at most once.
// Private to libqvsdkbase.
#ifndef CVL_STANDINS_QVSDKBASE_ARG_READER_H
#define CVL_STANDINS_QVSDKBASE_ARG_READER_H

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "standins/qvsdkbase/host_lists.h"

namespace qvsdkbase {

// One key that an X call reads.
struct ArgSpec {
  std::string_view key;
  ArgKind kind;
  bool required;
};

// The values an X call was given, one per expected key, in the order of the expected keys; null
// where an optional key was not given. The values point into the arg list and are valid while it is
// unchanged.
class ArgValues {
 public:
  // Reads args against the expected keys. False when args holds a key that none of them names, a
  // key twice, a value of another kind than expected, or lacks a required key.
  bool read(const QvArgList_s& args, std::span<const ArgSpec> expected);

  bool has(size_t known) const { return values_[known] != nullptr; }
  // The value of expected key number known; that key must have been given, in its kind.
  const std::string& text(size_t known) const;
  int64_t integer(size_t known) const;
  QvFunction function(size_t known) const;
  const std::vector<std::string>& strings(size_t known) const;
  const void* array(size_t known) const;

 private:
  std::vector<const ArgValue*> values_;
};

// The text of the string value under key in args, or "" when there is none; for call details.
std::string textArg(const QvArgList_s* args, std::string_view key);

}  // namespace qvsdkbase

#endif  // CVL_STANDINS_QVSDKBASE_ARG_READER_H
