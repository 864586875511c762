// The one in-memory host behind the C API, and the bookkeeping every C API call goes through.
// Private to libqvsdkbase.
#ifndef CVL_STANDINS_QVSDKBASE_HOST_STATE_H
#define CVL_STANDINS_QVSDKBASE_HOST_STATE_H

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "standins/qvsdkbase/host_control.h"
#include "standins/qvsdkbase/host_lists.h"

namespace qvsdkbase {

// A fault armed by injectFault: fires on the remaining-th further call of function.
struct ArmedFault {
  std::string function;
  int64_t remaining = 0;
  FaultKind kind = FaultKind::Fail;
  int32_t result = 0;
};

// One lock held: by QorUtilLockOn, or by QorUtilLockStart with an add-on handle.
struct HeldLock {
  bool byLockStart = false;
  QvAddOn addOn = nullptr;
};

// Handles that reset() made unknown. They stay allocated until the process ends, so that a
// stale handle never points to freed memory nor to a list given out later.
struct RetiredHandles {
  std::vector<std::unique_ptr<QvArgList_s>> argLists;
  std::vector<std::unique_ptr<QvStringList_s>> stringLists;
  std::vector<std::shared_ptr<QvAddOn_s>> addOns;
};

struct Host {
  bool logCalls = true;
  std::vector<Call> calls;
  std::vector<std::string> messages;
  std::function<void(const std::string&)> messageSink;
  std::vector<std::string> violations;
  std::vector<HeldLock> locks;  // innermost last
  int loadDepth = 0;
  bool busy = false;
  std::vector<AddOn> addOns;
  // addOnHandles[i] is addOns[i]'s. Shared: a session's host holds the handles that the process's
  // host gave out when the session began.
  std::vector<std::shared_ptr<QvAddOn_s>> addOnHandles;
  std::vector<Loader> loaders;
  std::optional<DataSet> dataSet;
  std::vector<ArmedFault> faults;
  std::unordered_map<const QvArgList_s*, std::unique_ptr<QvArgList_s>> argLists;
  std::unordered_map<const QvStringList_s*, std::unique_ptr<QvStringList_s>> stringLists;
  RetiredHandles retired;
};

// The host of this thread: the innermost HostSession's, or else the process's.
Host& host();

// Calls of function wait here for one another while a rendezvous is armed for it
// (armRendezvous); returns at once otherwise.
void meetAtRendezvous(const char* function);

// Marks the time spent inside one C API call, from its first statement to its return or throw,
// so that the tests can tell the host's own allocations from the add-on's (insideHostCall).
class InsideHostCall {
 public:
  InsideHostCall() noexcept;
  ~InsideHostCall();
  InsideHostCall(const InsideHostCall&) = delete;
  InsideHostCall& operator=(const InsideHostCall&) = delete;
};

// The fault that fired on a call and that the call must act out: FaultKind::Fail, or
// FaultKind::Result with the result to return.
struct FiredFault {
  FaultKind kind;
  int32_t result;
};

// Starts one C API call: appends {function, detail} to the call log, records a violation
// when needsLock and no lock is held, and counts the call against the armed faults. Throws
// std::bad_alloc when a BadAlloc fault fires; returns the Fail or Result fault that fired, or
// nothing when the call is to go ahead.
std::optional<FiredFault> enterCall(const char* function, std::string detail,
                                    bool needsLock = true);

// Records a misuse of the host (see violations()).
void recordViolation(std::string description);

// The host's list or add-on behind a handle; null for a null, foreign or stale handle.
QvArgList_s* findArgList(QvArgList handle);
QvStringList_s* findStringList(QvStringList handle);
// The same for a call that needs the list (function, its name): a handle the host did not give
// out is also recorded as a violation.
QvArgList_s* requireArgList(QvArgList handle, const char* function);
QvStringList_s* requireStringList(QvStringList handle, const char* function);
// The registry position of an add-on handle; nothing when the host did not give it out.
std::optional<size_t> findAddOn(QvAddOn handle);

// A copy of text, "" for a null text.
std::string copyText(const char* text);

}  // namespace qvsdkbase

#endif  // CVL_STANDINS_QVSDKBASE_HOST_STATE_H
