#include "standins/qvsdkbase/host_state.h"

#include <memory>
#include <new>

namespace qvsdkbase {

namespace {

// C API calls in progress on this thread: more than one only when a call runs the add-on.
thread_local int hostCallDepth = 0;

// The host of the innermost HostSession that lives on this thread; null when none does.
thread_local Host* sessionHost = nullptr;

Host& processHost() {
  static Host theHost;
  return theHost;
}

}  // namespace

InsideHostCall::InsideHostCall() noexcept {
  ++hostCallDepth;
}

InsideHostCall::~InsideHostCall() {
  --hostCallDepth;
}

bool insideHostCall() {
  return hostCallDepth > 0;
}

Host& host() {
  return sessionHost != nullptr ? *sessionHost : processHost();
}

HostSession::HostSession() : previous_(sessionHost) {
  // What the session knows of the host it starts from: the registered add-ons and their
  // handles, and the loaders without any stored instructions.
  const Host& from = host();
  auto fresh = std::make_unique<Host>();
  fresh->addOns = from.addOns;
  fresh->addOnHandles = from.addOnHandles;
  fresh->loaders = from.loaders;
  for (Loader& loader : fresh->loaders) loader.instructions.reset();
  host_ = fresh.release();
  sessionHost = host_;
}

HostSession::~HostSession() {
  sessionHost = previous_;
  delete host_;
}

std::optional<FiredFault> enterCall(const char* function, std::string detail, bool needsLock) {
  meetAtRendezvous(function);
  Host& h = host();
  if (h.logCalls) h.calls.push_back(Call{function, std::move(detail)});
  if (needsLock && h.locks.empty()) {
    recordViolation(std::string(function) + " called without the host lock");
  }
  std::optional<FiredFault> fired;
  for (auto fault = h.faults.begin(); fault != h.faults.end();) {
    if (fault->function == function && --fault->remaining == 0) {
      if (!fired) fired = FiredFault{fault->kind, fault->result};
      fault = h.faults.erase(fault);
    } else {
      ++fault;
    }
  }
  if (fired && fired->kind == FaultKind::BadAlloc) throw std::bad_alloc();
  return fired;
}

void recordViolation(std::string description) {
  host().violations.push_back(std::move(description));
}

QvArgList_s* findArgList(QvArgList handle) {
  auto& lists = host().argLists;
  const auto found = lists.find(handle);
  return found == lists.end() ? nullptr : found->second.get();
}

QvStringList_s* findStringList(QvStringList handle) {
  auto& lists = host().stringLists;
  const auto found = lists.find(handle);
  return found == lists.end() ? nullptr : found->second.get();
}

QvArgList_s* requireArgList(QvArgList handle, const char* function) {
  QvArgList_s* list = findArgList(handle);
  if (list == nullptr)
    recordViolation(std::string(function) + " with an arg list the host did not give out");
  return list;
}

QvStringList_s* requireStringList(QvStringList handle, const char* function) {
  QvStringList_s* list = findStringList(handle);
  if (list == nullptr) {
    recordViolation(std::string(function) + " with a string list the host did not give out");
  }
  return list;
}

std::optional<size_t> findAddOn(QvAddOn handle) {
  const auto& handles = host().addOnHandles;
  for (size_t i = 0; i < handles.size(); ++i) {
    if (handle != nullptr && handles[i].get() == handle) return i;
  }
  return std::nullopt;
}

std::string copyText(const char* text) {
  return text == nullptr ? std::string() : text;
}

}  // namespace qvsdkbase
