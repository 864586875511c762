// Zone creation: one host zone per zone of a file.
#ifndef CVL_ADDON_ASSEMBLY_ZONES_H
#define CVL_ADDON_ASSEMBLY_ZONES_H

#include "addon/header/out_file_info.h"
#include "standins/qorutil/qorutil_api.h"

namespace cvl {

// What the user is told when the host does not take a zone.
inline constexpr const char* kAddZonesFailed = "Unable to add zones to the dataset";

// Adds one zone per entry of info.zoneNames to the host's dataset, numbered firstZone,
// firstZone + 1, ...; the file's later zones share the variables of its shared columns with
// zone firstZone. False after the first refusal, reported in the host's error dialog; the zones
// added before it stay.
bool addZones(const OutFileInfo& info, QvZoneNum firstZone);

}  // namespace cvl

#endif  // CVL_ADDON_ASSEMBLY_ZONES_H
