#include "standins/qvtoolbox/string_list.h"

#include <utility>

namespace qorvian {

namespace {

// Frees list through the host; a destructor must not throw, so a failure to free is dropped.
void release(QvStringList& list) noexcept {
  if (list == nullptr) return;
  try {
    QorUtilStringListDealloc(&list);
  } catch (...) {
  }
  list = nullptr;
}

}  // namespace

StringList::StringList() : handle_(QorUtilStringListAlloc()) {}

StringList::~StringList() {
  release(handle_);
}

StringList::StringList(StringList&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)) {}

StringList& StringList::operator=(StringList&& other) noexcept {
  if (this != &other) {
    release(handle_);
    handle_ = std::exchange(other.handle_, nullptr);
  }
  return *this;
}

bool StringList::append(std::string text) {
  if (handle_ == nullptr) return false;
  return QorUtilStringListAppendString(handle_, text.c_str()) != 0;
}

}  // namespace qorvian
