// The loader's name, as the host knows it: registration, dataset creation and the hand-back of
// the load's instructions all give it.
#ifndef CVL_ADDON_ASSEMBLY_LOADER_NAME_H
#define CVL_ADDON_ASSEMBLY_LOADER_NAME_H

namespace cvl {

inline constexpr const char* kLoaderName = "CONVERGE Output File Loader";

}  // namespace cvl

#endif  // CVL_ADDON_ASSEMBLY_LOADER_NAME_H
