#include "tools/python/addon/header_facts_internal.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "addon/header/comment_lines.h"
#include "addon/header/first_data_row.h"
#include "addon/header/out_file_info.h"
#include "addon/header/variable_rows.h"
#include "standins/common_strutil/scanner.h"
#include "standins/qorutil/qorutil_api.h"
#include "standins/qorutilutil_utils/ascii_file.h"
#include "tools/python/addon/read_options_internal.h"

namespace cvl::python {

namespace {

constexpr uint64_t kLocationLine = 5;

// The entries of the location row, one per column as far as it gives them; none for a file
// without locations.
std::vector<std::string> locationEntries(const qorvian::qorutilutil::AsciiFile& file) {
  qorvian::Scanner scanner;
  scanner.setCopy(file.readLineAtOffset(kLocationLine - 1));
  std::vector<std::string> entries;
  if (scanner.hasNextToken()) scanner.nextToken();  // the "#", which the header read accepted
  while (scanner.hasNextToken()) entries.emplace_back(scanner.nextToken());
  return entries;
}

// Per zone of info: the location of the first column of its own (not shared) that the location
// row gives; nothing for a zone that has none, the one zone of a file without locations.
std::vector<std::optional<std::string>> zoneRegions(const OutFileInfo& info,
                                                    const std::vector<std::string>& locations) {
  std::vector<std::optional<std::string>> regions(info.zoneNames.size());
  const std::vector<Column>& columns = info.columns();
  for (size_t c = 0; c < columns.size() && c < locations.size(); ++c) {
    const Column& column = columns[c];
    const auto zone = static_cast<size_t>(column.zone);
    if (!column.shared && zone < regions.size() && !regions[zone]) regions[zone] = locations[c];
  }
  return regions;
}

}  // namespace

bool readHeaderFacts(const std::string& fileName, HeaderFacts& facts) {
  qorvian::qorutilutil::AsciiFile file;
  if (!file.open(fileName)) {
    QorUtilDialogErrMsg(("Unable to open datafile: " + fileName).c_str());
    return false;
  }
  OutFileInfo info;
  if (!readBannerLine(file, info) || !readColumnRow(file, info) || !readVariableRows(file, info) ||
      !countFirstRowValues(file, info) || !fitVariablesToFirstRow(file, info)) {
    return false;
  }
  facts = HeaderFacts{};
  facts.title = info.title;
  const std::span<const std::string> variables = info.dataSetVariableNames();
  facts.variables.assign(variables.begin(), variables.end());
  for (size_t v = 0; v < variables.size(); ++v) {
    facts.integer.push_back(info.variableTypes()[v] == kTypeInt32);
  }
  facts.zoneNames = info.zoneNames;
  facts.regions = zoneRegions(info, locationEntries(file));
  for (const Column& column : info.columns()) {
    facts.columns.push_back({column.name, column.dataType == kTypeInt32, column.variable.index(),
                             column.zone, column.shared});
  }
  facts.numValues = info.numValues;
  return true;
}

bool readHeaderFactsFromText(const std::string& fileName, std::string_view text,
                             HeaderFacts& facts) {
  std::optional<HeldFile>& held = threadHeldFile();
  // Held for this read only, also when it throws.
  struct Release {
    std::optional<HeldFile>& held;
    ~Release() { held.reset(); }
  } release{held};
  held = HeldFile{fileName, text};
  return readHeaderFacts(fileName, facts);
}

}  // namespace cvl::python
