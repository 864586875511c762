// The inspection and control interface over the process's host.
#include "standins/qvsdkbase/host_control.h"

#include <memory>
#include <utility>

#include "standins/qvsdkbase/host_state.h"

namespace qvsdkbase {

void reset() {
  Host& h = host();
  RetiredHandles retired = std::move(h.retired);
  for (auto& entry : h.argLists) retired.argLists.push_back(std::move(entry.second));
  for (auto& entry : h.stringLists) retired.stringLists.push_back(std::move(entry.second));
  for (auto& handle : h.addOnHandles) retired.addOns.push_back(std::move(handle));
  h = Host{};
  h.retired = std::move(retired);
}

LoadResult takeLoadResult(size_t loader) {
  Host& h = host();
  LoadResult result;
  result.dataSet = std::exchange(h.dataSet, std::nullopt);
  result.messages = std::exchange(h.messages, {});
  for (size_t i = 0; i < h.loaders.size(); ++i) {
    std::optional<std::vector<std::string>> stored = std::exchange(h.loaders[i].instructions, {});
    if (i == loader) result.instructions = std::move(stored);
  }
  h.calls = {};
  h.violations = {};
  return result;
}

void setCallLog(bool on) {
  host().logCalls = on;
}

void injectFault(const std::string& function, int64_t nth, FaultKind kind, int32_t result) {
  if (nth < 1) return;
  host().faults.push_back(ArmedFault{function, nth, kind, result});
}

const std::vector<Call>& calls() {
  return host().calls;
}

const std::vector<std::string>& messages() {
  return host().messages;
}

void setMessageSink(std::function<void(const std::string&)> sink) {
  host().messageSink = std::move(sink);
}

const DataSet* dataSet() {
  const auto& current = host().dataSet;
  return current ? &*current : nullptr;
}

const std::vector<AddOn>& addOns() {
  return host().addOns;
}

const std::vector<Loader>& loaders() {
  return host().loaders;
}

int lockDepth() {
  return static_cast<int>(host().locks.size());
}

int loadDepth() {
  return host().loadDepth;
}

bool busy() {
  return host().busy;
}

const std::vector<std::string>& violations() {
  return host().violations;
}

size_t openArgLists() {
  return host().argLists.size();
}

size_t openStringLists() {
  return host().stringLists.size();
}

QvStringList makeStringList(const std::vector<std::string>& entries) {
  auto list = std::make_unique<QvStringList_s>();
  list->entries = entries;
  QvStringList handle = list.get();
  host().stringLists.emplace(handle, std::move(list));
  return handle;
}

std::vector<std::string> readStringList(QvStringList list) {
  const QvStringList_s* strings = findStringList(list);
  return strings == nullptr ? std::vector<std::string>{} : strings->entries;
}

void freeStringList(QvStringList list) {
  host().stringLists.erase(list);
}

}  // namespace qvsdkbase
