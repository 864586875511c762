// The load driver: one complete load, bracketed with the host.
#ifndef CVL_ADDON_SHELL_LOAD_DRIVER_H
#define CVL_ADDON_SHELL_LOAD_DRIVER_H

#include "standins/qorutil/qorutil_api.h"

namespace cvl {

// Loads the files that instructions (owned by the caller) name, inside the host's busy
// indication and load bracket, and on success hands instructions to the host for replay. True
// only when everything succeeded, the host's load finish included.
bool loadFromInstructions(QvStringList instructions);

}  // namespace cvl

#endif  // CVL_ADDON_SHELL_LOAD_DRIVER_H
