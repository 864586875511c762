#include "tools/minihost/reports/json_report.h"

#include <cmath>

#include "tools/minihost/platform/console_text.h"

namespace cvl::minihost {

namespace {

nlohmann::ordered_json valuesJson(const qvsdkbase::ValueArray& values) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  list.get_ref<nlohmann::ordered_json::array_t&>().reserve(static_cast<size_t>(values.size));
  if (values.type == QV_DATATYPE_INT32) {
    const auto* data = static_cast<const int32_t*>(values.data);
    for (int64_t i = 0; i < values.size; ++i) list.push_back(data[i]);
    return list;
  }
  const auto* data = static_cast<const double*>(values.data);
  for (int64_t i = 0; i < values.size; ++i) {
    if (std::isfinite(data[i])) {
      list.push_back(data[i]);
    } else {
      list.push_back(nullptr);
    }
  }
  return list;
}

nlohmann::ordered_json zoneJson(const qvsdkbase::Zone& zone) {
  nlohmann::ordered_json values = nlohmann::ordered_json::array();
  for (const auto& array : zone.values) values.push_back(valuesJson(*array));
  return {{"name", zone.name},
          {"points", zone.points},
          {"types", zone.types},
          {"shareZones", zone.shareZones},
          {"values", std::move(values)}};
}

nlohmann::ordered_json dataSetJson(const qvsdkbase::DataSet& dataSet) {
  nlohmann::ordered_json zones = nlohmann::ordered_json::array();
  for (const qvsdkbase::Zone& zone : dataSet.zones) zones.push_back(zoneJson(zone));
  return {{"title", dataSet.title}, {"variables", dataSet.variables}, {"zones", std::move(zones)}};
}

}  // namespace

nlohmann::ordered_json makeJsonReport(const std::vector<std::string>& messages,
                                      const std::optional<std::vector<std::string>>& instructions,
                                      const qvsdkbase::DataSet* dataSet) {
  nlohmann::ordered_json report = nlohmann::ordered_json::object();
  report["messages"] = messages;
  report["instructions"] =
      instructions ? nlohmann::ordered_json(*instructions) : nlohmann::ordered_json(nullptr);
  report["dataset"] = dataSet != nullptr ? dataSetJson(*dataSet) : nlohmann::ordered_json(nullptr);
  return report;
}

void convertTextsToUtf8(nlohmann::ordered_json& report) {
  if (report.is_string()) {
    report = hostTextToUtf8(report.get_ref<const std::string&>());
  } else if (report.is_structured()) {
    for (nlohmann::ordered_json& item : report) convertTextsToUtf8(item);
  }
}

}  // namespace cvl::minihost
