// The load sequence: the first file creates the dataset; every file adds its zones and values.
#include "addon/assembly/load_sequence.h"

#include <cstddef>

#include "addon/assembly/compatibility.h"
#include "addon/assembly/loader_name.h"
#include "addon/assembly/zones.h"
#include "addon/header/out_file_header.h"
#include "addon/header/out_file_info.h"
#include "addon/rows/data_rows.h"
#include "standins/qorutil/qorutil_api.h"
#include "standins/qorutilutil_utils/ascii_file.h"
#include "standins/qvtoolbox/arg_list.h"
#include "standins/qvtoolbox/string_list.h"

namespace cvl {
namespace {

using qorvian::qorutilutil::AsciiFile;

constexpr const char* kNoFiles = "No data files to load";
constexpr const char* kCreateFailed = "Unable to create the dataset";

// Opens fileName into file; reports a file that cannot be read.
bool openDataFile(AsciiFile& file, const std::string& fileName) {
  if (file.open(fileName)) return true;
  QorUtilDialogErrMsg(("Unable to open datafile: " + fileName).c_str());
  return false;
}

// Creates the host's dataset with first's title and its variable names. The name list and the
// arg list live for this call only.
bool createDataSet(const OutFileInfo& first) {
  qorvian::StringList names;
  bool created = true;
  for (const std::string& name : first.dataSetVariableNames()) {
    created = names.append(name);
    if (!created) break;
  }
  if (created) {
    qorvian::ArgList args;
    created = args.appendString("DataSetTitle", first.title) &&
              args.appendString("LoaderName", kLoaderName) &&
              args.appendStringList("VarNames", names) && QorUtilDataSetCreateX(args.getRef()) != 0;
  }
  if (!created) QorUtilDialogErrMsg(kCreateFailed);
  return created;
}

// Adds the zones of the file described by info, numbered from firstZone, and reads its rows.
bool addFileToDataSet(AsciiFile& file, const OutFileInfo& info, QvZoneNum firstZone) {
  return addZones(info, firstZone) && readDataRows(file, info, firstZone);
}

// The number of a later file's first zone: the one after every zone the dataset holds. False,
// reported, when the host counts fewer zones than the load has added (zonesAdded): the file's
// values would then go into the zones of earlier files.
bool nextZone(int64_t zonesAdded, QvZoneNum& firstZone) {
  const QvZoneNum numZones = QorUtilDataSetGetNumZones();
  if (numZones < zonesAdded) {
    QorUtilDialogErrMsg(kAddZonesFailed);
    return false;
  }
  firstZone = numZones + 1;
  return true;
}

// Loads the first file: fills first, creates the dataset, adds zones from 1. The file is closed
// on return.
bool loadFirstFile(const std::string& fileName, OutFileInfo& first) {
  AsciiFile file;
  if (!openDataFile(file, fileName)) return false;
  const bool loaded =
      readOutFileHeader(file, first) && createDataSet(first) && addFileToDataSet(file, first, 1);
  file.close();
  return loaded;
}

// Loads a later file into the existing dataset after checking it against first; its zones are
// numbered after those the dataset holds, of which the load added zonesAdded, and are counted
// there. The file and its record are released on return.
bool loadLaterFile(const std::string& fileName, const OutFileInfo& first, int64_t& zonesAdded) {
  AsciiFile file;
  OutFileInfo info;
  if (!openDataFile(file, fileName)) return false;
  QvZoneNum firstZone = 0;
  const bool loaded = readOutFileHeader(file, info) && checkCompatible(first, info, file) &&
                      nextZone(zonesAdded, firstZone) && addFileToDataSet(file, info, firstZone);
  file.close();
  if (loaded) zonesAdded += static_cast<int64_t>(info.zoneNames.size());
  return loaded;
}

}  // namespace

bool loadFileList(const std::vector<std::string>& fileNames) {
  if (fileNames.empty()) {
    QorUtilDialogErrMsg(kNoFiles);
    return false;
  }
  // The first file's record is the reference for every later file.
  OutFileInfo first;
  if (!loadFirstFile(fileNames.front(), first)) return false;
  int64_t zonesAdded = static_cast<int64_t>(first.zoneNames.size());
  for (size_t i = 1; i < fileNames.size(); ++i) {
    if (!loadLaterFile(fileNames[i], first, zonesAdded)) return false;
  }
  return true;
}

}  // namespace cvl
