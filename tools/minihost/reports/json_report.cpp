#include "tools/minihost/reports/json_report.h"

#include <cmath>

#include "tools/minihost/host/value_view.h"
#include "tools/minihost/platform/console_text.h"

namespace cvl::minihost {

namespace {

nlohmann::ordered_json valueJson(int32_t value) {
  return value;
}

// A double keeps its exact value; one that is not finite has no JSON number and becomes null.
nlohmann::ordered_json valueJson(double value) {
  return std::isfinite(value) ? nlohmann::ordered_json(value) : nlohmann::ordered_json(nullptr);
}

nlohmann::ordered_json valuesJson(const ValueView& values) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  list.get_ref<nlohmann::ordered_json::array_t&>().reserve(static_cast<size_t>(values.size()));
  values.visit([&](auto numbers) {
    for (const auto number : numbers) list.push_back(valueJson(number));
  });
  return list;
}

nlohmann::ordered_json zoneJson(const qvsdkbase::Zone& zone) {
  nlohmann::ordered_json values = nlohmann::ordered_json::array();
  for (const auto& array : zone.values) values.push_back(valuesJson(ValueView(*array)));
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
