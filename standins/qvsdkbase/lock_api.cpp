// The host lock: QorUtilLockOn/Off around the add-on's entry point, QorUtilLockStart/Finish with
// the add-on handle around each callback. Both pairs nest; each unlock must match the innermost
// lock, or it is recorded as a violation and changes nothing.
#include "standins/qvsdkbase/host_state.h"

using qvsdkbase::enterCall;
using qvsdkbase::HeldLock;
using qvsdkbase::host;
using qvsdkbase::recordViolation;

void QorUtilLockOn() {
  const qvsdkbase::InsideHostCall inside;
  if (enterCall("QorUtilLockOn", {}, false)) return;
  host().locks.push_back(HeldLock{false, nullptr});
}

void QorUtilLockOff() {
  const qvsdkbase::InsideHostCall inside;
  if (enterCall("QorUtilLockOff", {}, false)) return;
  auto& locks = host().locks;
  if (locks.empty() || locks.back().byLockStart) {
    recordViolation("QorUtilLockOff without a matching QorUtilLockOn");
    return;
  }
  locks.pop_back();
}

void QorUtilLockStart(QvAddOn addOn) {
  const qvsdkbase::InsideHostCall inside;
  if (enterCall("QorUtilLockStart", {}, false)) return;
  if (!qvsdkbase::findAddOn(addOn)) {
    recordViolation("QorUtilLockStart with a handle that is not a registered add-on");
    return;
  }
  host().locks.push_back(HeldLock{true, addOn});
}

void QorUtilLockFinish(QvAddOn addOn) {
  const qvsdkbase::InsideHostCall inside;
  if (enterCall("QorUtilLockFinish", {}, false)) return;
  if (!qvsdkbase::findAddOn(addOn)) {
    recordViolation("QorUtilLockFinish with a handle that is not a registered add-on");
    return;
  }
  auto& locks = host().locks;
  if (locks.empty() || !locks.back().byLockStart || locks.back().addOn != addOn) {
    recordViolation("QorUtilLockFinish without a matching QorUtilLockStart");
    return;
  }
  locks.pop_back();
}
