// The bracket around one data load. Brackets nest; a finish without a start, or with a non-zero
// reserved argument, is recorded as a violation and fails.
#include <string>

#include "standins/qvsdkbase/host_state.h"

using qvsdkbase::enterCall;
using qvsdkbase::host;
using qvsdkbase::recordViolation;

QvBoolean QorUtilDataLoadStart() {
  const qvsdkbase::InsideHostCall inside;
  if (enterCall("QorUtilDataLoadStart", {})) return 0;
  ++host().loadDepth;
  return 1;
}

// Accepts an empty arg list or none; the host takes no finishing argument. The load is over
// even when the finish fails, an injected failure included: the caller cannot finish it twice.
QvBoolean QorUtilDataLoadFinishX(QvArgList args, int32_t reserved) {
  const qvsdkbase::InsideHostCall inside;
  const bool faulted = enterCall("QorUtilDataLoadFinishX", {}).has_value();
  auto& h = host();
  if (h.loadDepth == 0) {
    recordViolation("QorUtilDataLoadFinishX without QorUtilDataLoadStart");
    return 0;
  }
  --h.loadDepth;
  if (faulted) return 0;
  if (reserved != 0) {
    recordViolation("QorUtilDataLoadFinishX with reserved argument " + std::to_string(reserved));
    return 0;
  }
  if (args == nullptr) return 1;
  const QvArgList_s* list = qvsdkbase::findArgList(args);
  return list != nullptr && list->entries.empty() ? 1 : 0;
}
