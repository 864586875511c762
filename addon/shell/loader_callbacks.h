// The add-on's face towards the host: its handle and the loader's two callbacks.
#ifndef CVL_ADDON_SHELL_LOADER_CALLBACKS_H
#define CVL_ADDON_SHELL_LOADER_CALLBACKS_H

#include "standins/qorutil/qorutil_api.h"

namespace cvl {

// The handle that registration got from the host; the add-on's only state.
extern QvAddOn addOnHandle;

// Replays a stored instruction list (owned by the host); the load's result.
QvBoolean QV_CALLBACK loaderCallback(QvStringList instructions);
// Loads the files the user picked (list owned by the host), through an instruction list of its
// own, so that what the host stores for replay is exactly what was loaded.
void QV_CALLBACK loaderSelectedCallback(QvStringList selectedFileNames);

}  // namespace cvl

#endif  // CVL_ADDON_SHELL_LOADER_CALLBACKS_H
