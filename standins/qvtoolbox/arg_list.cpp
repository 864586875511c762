#include "standins/qvtoolbox/arg_list.h"

#include <utility>

namespace qorvian {

namespace {

// Frees args through the host; a destructor must not throw, so a failure to free is dropped.
void release(QvArgList& args) noexcept {
  if (args == nullptr) return;
  try {
    QorUtilArgListDealloc(&args);
  } catch (...) {
  }
  args = nullptr;
}

}  // namespace

ArgList::ArgList() : handle_(QorUtilArgListAlloc()) {}

ArgList::~ArgList() {
  release(handle_);
}

ArgList::ArgList(ArgList&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}

ArgList& ArgList::operator=(ArgList&& other) noexcept {
  if (this != &other) {
    release(handle_);
    handle_ = std::exchange(other.handle_, nullptr);
  }
  return *this;
}

bool ArgList::appendString(std::string key, std::string value) {
  if (handle_ == nullptr) return false;
  return QorUtilArgListAppendString(handle_, key.c_str(), value.c_str()) != 0;
}

bool ArgList::appendInt(std::string key, int64_t value) {
  if (handle_ == nullptr) return false;
  return QorUtilArgListAppendInt(handle_, key.c_str(), value) != 0;
}

bool ArgList::appendFunction(std::string key, QvFunction function) {
  if (handle_ == nullptr) return false;
  return QorUtilArgListAppendFunction(handle_, key.c_str(), function) != 0;
}

bool ArgList::appendStringList(std::string key, StringList& list) {
  if (handle_ == nullptr || list.getRef() == nullptr) return false;
  return QorUtilArgListAppendStringList(handle_, key.c_str(), list.getRef()) != 0;
}

}  // namespace qorvian
