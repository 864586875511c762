// The text of a double as the host shows it: the shortest form that reads back to the same value.
#ifndef CVL_MINIHOST_NUMBER_TEXT_H
#define CVL_MINIHOST_NUMBER_TEXT_H

#include <string>

namespace minihost {

// The shortest decimal text that reads back to value exactly ("0.1", "-378", "1e-07");
// "nan", "inf" or "-inf" for a value that is not finite.
std::string numberText(double value);

}  // namespace minihost

#endif  // CVL_MINIHOST_NUMBER_TEXT_H
