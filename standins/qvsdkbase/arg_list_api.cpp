// Arg lists: the host copies every key, text and string list appended; an array is kept as the
// caller's address, for the X call to read.
#include <memory>

#include "standins/qvsdkbase/host_state.h"

using qvsdkbase::ArgEntry;
using qvsdkbase::ArgValue;
using qvsdkbase::copyText;
using qvsdkbase::enterCall;
using qvsdkbase::host;

QvArgList QorUtilArgListAlloc() {
  const qvsdkbase::InsideHostCall inside;
  if (enterCall("QorUtilArgListAlloc", {})) return nullptr;
  auto list = std::make_unique<QvArgList_s>();
  QvArgList handle = list.get();
  host().argLists.emplace(handle, std::move(list));
  return handle;
}

// A foreign or stale handle is cleared but not freed: the host never frees what it does not own.
void QorUtilArgListDealloc(QvArgList* args) {
  const qvsdkbase::InsideHostCall inside;
  if (enterCall("QorUtilArgListDealloc", {})) return;
  if (args == nullptr) return;
  host().argLists.erase(*args);
  *args = nullptr;
}

namespace {

// Appends key and value to the list behind args; false for a null key or an unknown list (a
// violation, recorded against function).
QvBoolean appendEntry(const char* function, QvArgList args, const char* key, ArgValue value) {
  QvArgList_s* list = qvsdkbase::requireArgList(args, function);
  if (list == nullptr || key == nullptr) return 0;
  list->entries.push_back(ArgEntry{key, std::move(value)});
  return 1;
}

}  // namespace

QvBoolean QorUtilArgListAppendString(QvArgList args, const char* key, const char* value) {
  const qvsdkbase::InsideHostCall inside;
  if (enterCall("QorUtilArgListAppendString", copyText(key))) return 0;
  if (value == nullptr) return 0;
  return appendEntry("QorUtilArgListAppendString", args, key, std::string(value));
}

QvBoolean QorUtilArgListAppendInt(QvArgList args, const char* key, int64_t value) {
  const qvsdkbase::InsideHostCall inside;
  if (enterCall("QorUtilArgListAppendInt", copyText(key))) return 0;
  return appendEntry("QorUtilArgListAppendInt", args, key, value);
}

QvBoolean QorUtilArgListAppendFunction(QvArgList args, const char* key, QvFunction function) {
  const qvsdkbase::InsideHostCall inside;
  if (enterCall("QorUtilArgListAppendFunction", copyText(key))) return 0;
  return appendEntry("QorUtilArgListAppendFunction", args, key, function);
}

QvBoolean QorUtilArgListAppendStringList(QvArgList args, const char* key, QvStringList list) {
  const qvsdkbase::InsideHostCall inside;
  if (enterCall("QorUtilArgListAppendStringList", copyText(key))) return 0;
  const QvStringList_s* strings =
      qvsdkbase::requireStringList(list, "QorUtilArgListAppendStringList");
  if (strings == nullptr) return 0;
  return appendEntry("QorUtilArgListAppendStringList", args, key, strings->entries);
}

// A Result fault still appends the array, so that a caller that takes a result other than 1
// for success goes on with a complete arg list and shows it.
int32_t QorUtilArgListAppendArray(QvArgList args, const char* key, const void* array) {
  const qvsdkbase::InsideHostCall inside;
  const auto fault = enterCall("QorUtilArgListAppendArray", copyText(key));
  if (fault && fault->kind == qvsdkbase::FaultKind::Fail) return 0;
  if (array == nullptr) return 0;
  const QvBoolean appended = appendEntry("QorUtilArgListAppendArray", args, key, array);
  if (fault) return fault->result;
  return appended;
}
