// The text of a double as the host shows it: the shortest form that reads back to the same value.
#ifndef CVL_TOOLS_MINIHOST_REPORTS_NUMBER_TEXT_H
#define CVL_TOOLS_MINIHOST_REPORTS_NUMBER_TEXT_H

#include <string>

namespace cvl::minihost {

// The shortest decimal text that reads back to value exactly ("0.1", "-378", "1e-07");
// "nan", "inf" or "-inf" for a value that is not finite.
std::string numberText(double value);

}  // namespace cvl::minihost

#endif  // CVL_TOOLS_MINIHOST_REPORTS_NUMBER_TEXT_H
