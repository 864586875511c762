// StringList: owns one host string list for the lifetime of the object.
#ifndef CVL_STANDINS_QVTOOLBOX_STRING_LIST_H
#define CVL_STANDINS_QVTOOLBOX_STRING_LIST_H

#include <string>

#include "standins/qorutil/qorutil_api.h"

namespace qorvian {

class StringList {
 public:
  // Makes an empty host list. When the host has none to give, getRef() is null and every append
  // fails.
  StringList();
  // Frees the host list.
  ~StringList();
  StringList(const StringList&) = delete;
  StringList& operator=(const StringList&) = delete;
  // The moved-from object holds no list.
  StringList(StringList&& other) noexcept;
  StringList& operator=(StringList&& other) noexcept;

  // Appends a copy of text at the end; false when the host refused it.
  bool append(std::string text);
  // The raw handle, owned by this object; valid until it is destroyed or moved from.
  QvStringList getRef() const { return handle_; }

 private:
  QvStringList handle_ = nullptr;
};

}  // namespace qorvian

#endif  // CVL_STANDINS_QVTOOLBOX_STRING_LIST_H
