// The JSON report that minihost --json prints: one object, every key always present.
//
//   {"messages": [text...], "instructions": [text...] or null,
//    "dataset": null or {"title": text, "variables": [text...],
//                        "zones": [{"name": text, "points": integer,
//                                   "types": [integer per variable],
//                                   "shareZones": [integer per variable],
//                                   "values": [[number per point] per variable]}]}}
#ifndef CVL_TOOLS_MINIHOST_REPORTS_JSON_REPORT_H
#define CVL_TOOLS_MINIHOST_REPORTS_JSON_REPORT_H

#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "standins/qvsdkbase/host_control.h"

namespace cvl::minihost {

// The report of one load: the error-dialog texts in order, the instructions the add-on handed
// back (null when none), and the dataset as the host holds it (null when none). Doubles keep
// their exact value (written as the shortest text that reads back the same); values that
// are not finite become null; 32-bit integer values stay integers. A shared variable shows the
// values of the zone it shares.
nlohmann::ordered_json makeJsonReport(const std::vector<std::string>& messages,
                                      const std::optional<std::vector<std::string>>& instructions,
                                      const qvsdkbase::DataSet* dataSet);

// Converts every text in report (keys stay) with hostTextToUtf8, so that the report shows the
// host's texts as UTF-8 whatever the code page they are held in.
void convertTextsToUtf8(nlohmann::ordered_json& report);

}  // namespace cvl::minihost

#endif  // CVL_TOOLS_MINIHOST_REPORTS_JSON_REPORT_H
