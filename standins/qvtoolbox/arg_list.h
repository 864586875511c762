// ArgList: owns one host arg list for the lifetime of the object.
#ifndef CVL_STANDINS_QVTOOLBOX_ARG_LIST_H
#define CVL_STANDINS_QVTOOLBOX_ARG_LIST_H

#include <cstdint>
#include <string>

#include "standins/qorutil/qorutil_api.h"
#include "standins/qvtoolbox/string_list.h"

namespace qorvian {

class ArgList {
 public:
  // Makes an empty host arg list. When the host has none to give, getRef() is null and every
  // append fails.
  ArgList();
  // Frees the host arg list.
  ~ArgList();
  ArgList(const ArgList&) = delete;
  ArgList& operator=(const ArgList&) = delete;
  // The moved-from object holds no list.
  ArgList(ArgList&& other) noexcept;
  ArgList& operator=(ArgList&& other) noexcept;

  // Each append returns false when the host refused it. The host copies key and value.
  bool appendString(std::string key, std::string value);
  bool appendInt(std::string key, int64_t value);
  bool appendFunction(std::string key, QvFunction function);
  // Appends a copy of every entry of list.
  bool appendStringList(std::string key, StringList& list);
  // The raw handle for the X calls and QorUtilArgListAppendArray, owned by this object; valid
  // until it is destroyed or moved from.
  QvArgList getRef() const { return handle_; }

 private:
  QvArgList handle_ = nullptr;
};

}  // namespace qorvian

#endif  // CVL_STANDINS_QVTOOLBOX_ARG_LIST_H
