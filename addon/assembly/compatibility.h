// The check that a later file of a load describes the same variables as the first.
#ifndef CVL_ADDON_ASSEMBLY_COMPATIBILITY_H
#define CVL_ADDON_ASSEMBLY_COMPATIBILITY_H

#include "addon/header/out_file_info.h"
#include "standins/qorutilutil_utils/ascii_file.h"

namespace cvl {

// True when later has the same variables as first: same count, same names byte for byte, same
// data types, in the same order. Otherwise reports the first difference against line 3 of
// laterFile and returns false.
bool checkCompatible(const OutFileInfo& first, const OutFileInfo& later,
                     const qorvian::qorutilutil::AsciiFile& laterFile);

}  // namespace cvl

#endif  // CVL_ADDON_ASSEMBLY_COMPATIBILITY_H
