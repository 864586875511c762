// The host's own lists behind the QvArgList and QvStringList handles. Private to libqvsdkbase.
#ifndef CVL_STANDINS_QVSDKBASE_HOST_LISTS_H
#define CVL_STANDINS_QVSDKBASE_HOST_LISTS_H

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "standins/qorutil/qorutil_api.h"

namespace qvsdkbase {

// The kind of an arg-list value; the order is that of the alternatives of ArgValue.
enum class ArgKind { String, Int, Function, StringList, Array };

// One arg-list value: a copied text, an integer, a function address, a copied string list, or
// the address of a caller's array (not copied: the X call reads it).
using ArgValue =
    std::variant<std::string, int64_t, QvFunction, std::vector<std::string>, const void*>;

struct ArgEntry {
  std::string key;
  ArgValue value;
};

}  // namespace qvsdkbase

// The struct tags the C API's opaque handles point to.
struct QvArgList_s {
  std::vector<qvsdkbase::ArgEntry> entries;  // in the order appended
};

struct QvStringList_s {
  std::vector<std::string> entries;  // entry n is entries[n - 1]
};

// An add-on handle stands only for its own identity; the registry holds the add-on's values.
struct QvAddOn_s {};

#endif  // CVL_STANDINS_QVSDKBASE_HOST_LISTS_H
