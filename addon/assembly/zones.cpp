// Zone creation: the zones of one file, with their point counts, data types and sharing.
#include "addon/assembly/zones.h"

#include <cstddef>
#include <string>
#include <vector>

#include "standins/qvtoolbox/arg_list.h"

namespace cvl {
namespace {

// One entry per variable: firstZone for a variable that a shared column feeds, 0 (values of its
// own) for every other. info.numVariables is positive.
std::vector<QvZoneNum> buildShareList(const OutFileInfo& info, QvZoneNum firstZone) {
  std::vector<QvZoneNum> shareZones(static_cast<size_t>(info.numVariables), 0);
  const auto numValues = static_cast<size_t>(info.numValues > 0 ? info.numValues : 0);
  for (size_t column = 0; column < numValues && column < info.columns().size(); ++column) {
    const Column& described = info.columns()[column];
    const auto variable = static_cast<size_t>(described.variable.index());
    if (described.shared && variable < shareZones.size()) shareZones[variable] = firstZone;
  }
  return shareZones;
}

// Adds one zone named name with info's point count and data types. shareZones is null for the
// file's first zone, which gets no share list; the host reads the arrays during the call only.
bool addZone(const OutFileInfo& info, const std::string& name, const QvZoneNum* shareZones) {
  qorvian::ArgList args;
  const QvDataType* const types = info.variableTypes().data();
  return args.appendString("Name", name) && args.appendInt("IMax", info.numPoints) &&
         QorUtilArgListAppendArray(args.getRef(), "VarDataType", types) == 1 &&
         (shareZones == nullptr ||
          QorUtilArgListAppendArray(args.getRef(), "VarShareZoneList", shareZones) == 1) &&
         QorUtilDataSetAddZoneX(args.getRef()) != 0;
}

}  // namespace

bool addZones(const OutFileInfo& info, QvZoneNum firstZone) {
  // The host reads one data type and one share entry per variable; a record without a zone or
  // without a type for every variable cannot make a zone.
  bool added = !info.zoneNames.empty() && info.numVariables > 0 &&
               info.variableTypes().size() >= static_cast<size_t>(info.numVariables);
  if (added) {
    const std::vector<QvZoneNum> shareZones = buildShareList(info, firstZone);
    const QvZoneNum* zoneShares = nullptr;  // none for the file's first zone
    for (const std::string& name : info.zoneNames) {
      added = addZone(info, name, zoneShares);
      if (!added) break;
      zoneShares = shareZones.data();
    }
  }
  if (!added) QorUtilDialogErrMsg(kAddZonesFailed);
  return added;
}

}  // namespace cvl
