// The add-on library's one exported symbol, the entry point that the host calls after loading
// it.
#include <exception>

#include "addon/registration.h"
#include "addon/unexpected_error.h"
#include "host/qorutil_api.h"

extern "C" __attribute__((visibility("default"))) void InitQorAddOn113(void) {
  QorUtilLockOn();
  try {
    cvl::registerAddOn();
  } catch (...) {
    cvl::reportUnexpectedError(std::current_exception());
  }
  QorUtilLockOff();
}
