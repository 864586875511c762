// The current dataset: its creation, its zones and their value arrays.
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "standins/qvsdkbase/arg_reader.h"
#include "standins/qvsdkbase/host_state.h"
#include "standins/qvsdkbase/zeroed_pages.h"

using qvsdkbase::ArgKind;
using qvsdkbase::enterCall;
using qvsdkbase::host;

namespace {

enum DataSetKey : size_t { Title, LoaderName, VarNames };

constexpr std::array<qvsdkbase::ArgSpec, 3> dataSetKeys{{
    {"DataSetTitle", ArgKind::String, true},
    {"LoaderName", ArgKind::String, true},
    {"VarNames", ArgKind::StringList, true},
}};

enum ZoneKey : size_t { Name, IMax, VarDataType, VarShareZoneList };

constexpr std::array<qvsdkbase::ArgSpec, 4> zoneKeys{{
    {"Name", ArgKind::String, true},
    {"IMax", ArgKind::Int, true},
    {"VarDataType", ArgKind::Array, true},
    {"VarShareZoneList", ArgKind::Array, false},
}};

// n 32-bit values from a caller's array, which carries no length of its own.
std::vector<int32_t> readInt32Array(const void* array, size_t n) {
  std::vector<int32_t> values(n);
  if (n > 0) std::memcpy(values.data(), array, n * sizeof(int32_t));
  return values;
}

// The zone that the arguments describe, its arrays allocated or shared; nothing when an argument
// is refused. Throws std::bad_alloc when an array cannot be allocated.
std::optional<qvsdkbase::Zone> makeZone(const qvsdkbase::DataSet& dataSet,
                                        const qvsdkbase::ArgValues& values) {
  const size_t numVariables = dataSet.variables.size();
  qvsdkbase::Zone zone;
  zone.name = values.text(Name);
  zone.points = values.integer(IMax);
  if (zone.points < 1) return std::nullopt;
  zone.types = readInt32Array(values.array(VarDataType), numVariables);
  zone.pointerGiven.assign(numVariables, false);
  zone.shareListGiven = values.has(VarShareZoneList);
  zone.shareZones = zone.shareListGiven
                        ? readInt32Array(values.array(VarShareZoneList), numVariables)
                        : std::vector<QvZoneNum>(numVariables, 0);
  const auto numZones = static_cast<QvZoneNum>(dataSet.zones.size());
  for (size_t v = 0; v < numVariables; ++v) {
    const QvDataType type = zone.types[v];
    if (type != QV_DATATYPE_DOUBLE && type != QV_DATATYPE_INT32) return std::nullopt;
    const QvZoneNum share = zone.shareZones[v];
    if (share == 0) continue;
    if (share < 1 || share > numZones) return std::nullopt;
    const qvsdkbase::Zone& shared = dataSet.zones[static_cast<size_t>(share - 1)];
    if (shared.types[v] != type || shared.points != zone.points) return std::nullopt;
  }
  // The zone's own arrays are cut from one block in slots of equal size, each on a cache line:
  // one allocation per zone, not one per variable, costs far fewer page faults when the values are
  // written. A slot holds a double array (an integer one uses its first half), so that arrays can
  // trade slots (takeSlot).
  constexpr size_t kAlignment = 64;
  size_t slotBytes = 0;
  size_t numOwn = 0;
  for (size_t v = 0; v < numVariables; ++v) {
    if (zone.shareZones[v] == 0) ++numOwn;
  }
  size_t total = 0;
  if (__builtin_mul_overflow(static_cast<uint64_t>(zone.points), sizeof(double), &slotBytes) ||
      __builtin_add_overflow(slotBytes, kAlignment - 1, &slotBytes) ||
      __builtin_mul_overflow(slotBytes / kAlignment * kAlignment, numOwn, &total)) {
    throw std::bad_alloc();
  }
  slotBytes = slotBytes / kAlignment * kAlignment;
  std::shared_ptr<void> block = qvsdkbase::allocateValueBlock(total);
  qvsdkbase::Zone::Slots& slots = zone.slots;
  slots.base = static_cast<char*>(block.get());
  slots.bytes = slotBytes;
  slots.ofVariable.assign(numVariables, 0);
  for (size_t v = 0; v < numVariables; ++v) {
    const QvZoneNum share = zone.shareZones[v];
    if (share == 0) {
      slots.ofVariable[v] = slots.variableIn.size();
      zone.values.push_back(std::make_shared<qvsdkbase::ValueArray>(
          zone.types[v], zone.points, block, slots.base + slots.variableIn.size() * slotBytes));
      slots.variableIn.push_back(v);
    } else {
      zone.values.push_back(dataSet.zones[static_cast<size_t>(share - 1)].values[v]);
    }
  }
  return zone;
}

// Moves the own array of variable into the zone's next slot for arrays asked for, trading slots
// with the array that lies there. REQUIRES: no pointer to the array was given out yet, so that
// both arrays are still all zeros and nobody writes them.
void takeSlot(qvsdkbase::Zone& zone, size_t variable) {
  qvsdkbase::Zone::Slots& slots = zone.slots;
  const size_t next = slots.taken++;
  const size_t from = slots.ofVariable[variable];
  if (from == next) return;
  const size_t other = slots.variableIn[next];
  slots.ofVariable[other] = from;
  slots.variableIn[from] = other;
  zone.values[other]->data = slots.base + from * slots.bytes;
  slots.ofVariable[variable] = next;
  slots.variableIn[next] = variable;
  zone.values[variable]->data = slots.base + next * slots.bytes;
}

}  // namespace

// Refuses a missing key, a key it does not know, a value of the wrong kind and an empty list
// of variable names.
QvBoolean QorUtilDataSetCreateX(QvArgList args) {
  const qvsdkbase::InsideHostCall inside;
  const QvArgList_s* list = qvsdkbase::findArgList(args);
  if (enterCall("QorUtilDataSetCreateX", qvsdkbase::textArg(list, "DataSetTitle"))) return 0;
  qvsdkbase::ArgValues values;
  if (list == nullptr || !values.read(*list, dataSetKeys)) return 0;
  if (values.strings(VarNames).empty()) return 0;
  qvsdkbase::DataSet dataSet;
  dataSet.title = values.text(Title);
  dataSet.loaderName = values.text(LoaderName);
  dataSet.variables = values.strings(VarNames);
  host().dataSet = std::move(dataSet);
  return 1;
}

QvZoneNum QorUtilDataSetGetNumZones() {
  const qvsdkbase::InsideHostCall inside;
  if (enterCall("QorUtilDataSetGetNumZones", {})) return 0;
  auto& dataSet = host().dataSet;
  if (!dataSet) return 0;
  const auto count = static_cast<QvZoneNum>(dataSet->zones.size());
  dataSet->zoneCountsAnswered.push_back(count);
  return count;
}

// Refuses the zone, adding nothing, when there is no dataset, a key is unknown or missing,
// IMax is below 1, a data type code is neither 2 nor 3, a share entry names no existing zone or
// a zone whose variable differs in type or length, or an array cannot be allocated.
QvBoolean QorUtilDataSetAddZoneX(QvArgList args) {
  const qvsdkbase::InsideHostCall inside;
  const QvArgList_s* list = qvsdkbase::findArgList(args);
  if (enterCall("QorUtilDataSetAddZoneX", qvsdkbase::textArg(list, "Name"))) return 0;
  auto& dataSet = host().dataSet;
  qvsdkbase::ArgValues values;
  if (!dataSet || list == nullptr || !values.read(*list, zoneKeys)) return 0;
  try {
    std::optional<qvsdkbase::Zone> zone = makeZone(*dataSet, values);
    if (!zone) return 0;
    dataSet->zones.push_back(std::move(*zone));
  } catch (const std::bad_alloc&) {
    return 0;
  }
  return 1;
}

void QorUtilDataValueGetWritableRawPtr(QvZoneNum zone, QvVarNum variable, void** values,
                                       QvDataType* dataType) {
  const qvsdkbase::InsideHostCall inside;
  if (values != nullptr) *values = nullptr;
  if (dataType != nullptr) *dataType = 0;
  if (enterCall("QorUtilDataValueGetWritableRawPtr",
                "zone " + std::to_string(zone) + " variable " + std::to_string(variable))) {
    return;
  }
  auto& dataSet = host().dataSet;
  if (!dataSet || zone < 1 || variable < 1) return;
  const auto zoneIndex = static_cast<size_t>(zone - 1);
  const auto varIndex = static_cast<size_t>(variable - 1);
  if (zoneIndex >= dataSet->zones.size() || varIndex >= dataSet->variables.size()) return;
  qvsdkbase::Zone& found = dataSet->zones[zoneIndex];
  if (found.shareZones[varIndex] == 0 && !found.pointerGiven[varIndex]) {
    takeSlot(found, varIndex);
    const qvsdkbase::ValueArray& taken = *found.values[varIndex];
    qvsdkbase::prepareForWriting(taken.data, taken.bytes());
  }
  found.pointerGiven[varIndex] = true;
  const qvsdkbase::ValueArray& array = *found.values[varIndex];
  if (values != nullptr) *values = array.data;
  if (dataType != nullptr) *dataType = array.type;
}
