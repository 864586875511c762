// Registration of the add-on and its loader with the host.
#ifndef CVL_ADDON_SHELL_REGISTRATION_H
#define CVL_ADDON_SHELL_REGISTRATION_H

namespace cvl {

// Registers the add-on, keeping its handle in addOnHandle, then the "*.out" loader with both
// callbacks. The loader is registered only when all seven of its arguments were appended.
// Expects the host lock to be held (QorUtilLockOn); takes no lock itself.
void registerAddOn();

}  // namespace cvl

#endif  // CVL_ADDON_SHELL_REGISTRATION_H
