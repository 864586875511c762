// File-name patterns as the host's file dialog filters with them.
#ifndef CVL_TOOLS_MINIHOST_HOST_GLOB_MATCH_H
#define CVL_TOOLS_MINIHOST_HOST_GLOB_MATCH_H

#include <string_view>

namespace cvl::minihost {

// True when all of name matches pattern, where '*' stands for any run of characters (none
// included) and '?' for any one character; every other character matches itself, with ASCII
// letters matched regardless of case. Bytes above 127 match only themselves. Time is at most
// proportional to the product of the two lengths.
bool globMatches(std::string_view pattern, std::string_view name);

}  // namespace cvl::minihost

#endif  // CVL_TOOLS_MINIHOST_HOST_GLOB_MATCH_H
