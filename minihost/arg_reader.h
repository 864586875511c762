// Reading the arguments of an X call: each key the call knows, of its kind, at most once.
// Private to libqvsdkbase.
#ifndef CVL_MINIHOST_ARG_READER_H
#define CVL_MINIHOST_ARG_READER_H

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "minihost/host_lists.h"

namespace minihost {

// One key that an X call reads.
struct ArgSpec {
  std::string_view key;
  ArgKind kind;
  bool required;
};

// The values an X call was given, one per spec, in the order of the specs; null where the
// optional key was not given. The values point into the arg list and are valid while it is
// unchanged.
class ArgValues {
 public:
  // Reads args against specs. False when args holds a key that no spec names, a key twice, a
  // value of another kind than its spec, or lacks a required key.
  bool read(const QvArgList_s& args, std::span<const ArgSpec> specs);

  bool has(size_t spec) const { return values_[spec] != nullptr; }
  // The value of spec number spec; the spec's key must have been given, in the spec's kind.
  const std::string& text(size_t spec) const;
  int64_t integer(size_t spec) const;
  QvFunction function(size_t spec) const;
  const std::vector<std::string>& strings(size_t spec) const;
  const void* array(size_t spec) const;

 private:
  std::vector<const ArgValue*> values_;
};

// The text of the string value under key in args, or "" when there is none; for call details.
std::string textArg(const QvArgList_s* args, std::string_view key);

}  // namespace minihost

#endif  // CVL_MINIHOST_ARG_READER_H
