// String lists: the host copies every text appended; entries are numbered from 1.
#include <memory>

#include "standins/qvsdkbase/host_state.h"

using qvsdkbase::enterCall;
using qvsdkbase::host;

QvStringList QorUtilStringListAlloc() {
  const qvsdkbase::InsideHostCall inside;
  if (enterCall("QorUtilStringListAlloc", {})) return nullptr;
  auto list = std::make_unique<QvStringList_s>();
  QvStringList handle = list.get();
  host().stringLists.emplace(handle, std::move(list));
  return handle;
}

// A foreign or stale handle is cleared but not freed: the host never frees what it does not own.
void QorUtilStringListDealloc(QvStringList* list) {
  const qvsdkbase::InsideHostCall inside;
  if (enterCall("QorUtilStringListDealloc", {})) return;
  if (list == nullptr) return;
  host().stringLists.erase(*list);
  *list = nullptr;
}

QvCount QorUtilStringListGetCount(QvStringList list) {
  const qvsdkbase::InsideHostCall inside;
  if (enterCall("QorUtilStringListGetCount", {})) return 0;
  const QvStringList_s* strings = qvsdkbase::requireStringList(list, "QorUtilStringListGetCount");
  return strings == nullptr ? 0 : static_cast<QvCount>(strings->entries.size());
}

const char* QorUtilStringListGetRawStringPtr(QvStringList list, QvCount position) {
  const qvsdkbase::InsideHostCall inside;
  if (enterCall("QorUtilStringListGetRawStringPtr", std::to_string(position))) return nullptr;
  const QvStringList_s* strings =
      qvsdkbase::requireStringList(list, "QorUtilStringListGetRawStringPtr");
  if (strings == nullptr || position < 1 ||
      position > static_cast<QvCount>(strings->entries.size())) {
    return nullptr;
  }
  return strings->entries[static_cast<size_t>(position - 1)].c_str();
}

QvBoolean QorUtilStringListAppendString(QvStringList list, const char* text) {
  const qvsdkbase::InsideHostCall inside;
  if (enterCall("QorUtilStringListAppendString", qvsdkbase::copyText(text))) return 0;
  QvStringList_s* strings = qvsdkbase::requireStringList(list, "QorUtilStringListAppendString");
  if (strings == nullptr || text == nullptr) return 0;
  strings->entries.emplace_back(text);
  return 1;
}

QvBoolean QorUtilStringListAppend(QvStringList target, QvStringList source) {
  const qvsdkbase::InsideHostCall inside;
  if (enterCall("QorUtilStringListAppend", {})) return 0;
  QvStringList_s* to = qvsdkbase::requireStringList(target, "QorUtilStringListAppend");
  const QvStringList_s* from = qvsdkbase::requireStringList(source, "QorUtilStringListAppend");
  if (to == nullptr || from == nullptr) return 0;
  // Copied first, so that a list appended to itself is doubled once.
  const std::vector<std::string> copies = from->entries;
  to->entries.insert(to->entries.end(), copies.begin(), copies.end());
  return 1;
}
