// Finding a dataset variable by the name a user types on the command line.
#ifndef CVL_TOOLS_MINIHOST_HOST_VARIABLE_LOOKUP_H
#define CVL_TOOLS_MINIHOST_HOST_VARIABLE_LOOKUP_H

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cvl::minihost {

// A full variable name taken apart: "Pressure (MPa)" is the name "Pressure" with the unit "MPa".
// A full name that does not end in a blank and a parenthesised unit is a name without a unit.
// Both views point into the full name given.
struct NameAndUnit {
  std::string_view name;
  std::optional<std::string_view> unit;  // without its parentheses
};
NameAndUnit splitUnit(std::string_view fullName);

// The index of the variable that name names: its full name ("Pressure (MPa)"), or else its
// name without the unit ("Pressure") when exactly one variable has that. Nothing, with a
// message that lists the candidates, when none or several match.
std::optional<size_t> findVariable(const std::vector<std::string>& variables, std::string_view name,
                                   std::string& error);

}  // namespace cvl::minihost

#endif  // CVL_TOOLS_MINIHOST_HOST_VARIABLE_LOOKUP_H
