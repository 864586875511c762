// The add-on library's one exported symbol, the entry point that the host calls after loading
// it.
#include <exception>

#include "addon/shell/registration.h"
#include "addon/shell/unexpected_error.h"
#include "standins/qorutil/qorutil_api.h"

// The one symbol that leaves the library: a DLL export on Windows, default visibility elsewhere
// (everything else is hidden).
#if defined(_WIN32)
#define CVL_ENTRY_POINT __declspec(dllexport)
#else
#define CVL_ENTRY_POINT __attribute__((visibility("default")))
#endif

extern "C" CVL_ENTRY_POINT void InitQorAddOn113(void) {
  QorUtilLockOn();
  try {
    cvl::registerAddOn();
  } catch (...) {
    cvl::reportUnexpectedError(std::current_exception());
  }
  QorUtilLockOff();
}
