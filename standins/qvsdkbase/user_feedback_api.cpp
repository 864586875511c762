// What the user would see: the error dialog and the busy indication.
#include "standins/qvsdkbase/host_state.h"

using qvsdkbase::enterCall;
using qvsdkbase::host;

void QorUtilDialogErrMsg(const char* message) {
  const qvsdkbase::InsideHostCall inside;
  std::string text = qvsdkbase::copyText(message);
  if (enterCall("QorUtilDialogErrMsg", text)) return;
  auto& h = host();
  h.messages.push_back(std::move(text));
  if (h.messageSink) h.messageSink(h.messages.back());
}

void QorUtilPleaseWait(const char* /*message*/, QvBoolean show) {
  const qvsdkbase::InsideHostCall inside;
  if (enterCall("QorUtilPleaseWait", show != 0 ? "on" : "off")) return;
  host().busy = show != 0;
}
