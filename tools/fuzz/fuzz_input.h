// One input of the load fuzz target, as bytes: the files to pick and what goes wrong meanwhile.
//
//   <a.out> [ "%%next-file%%" <b.out> ] [ "%%faults%%" <plan> ]
//
// The bytes up to the first fault marker are the files: up to the first file marker a.out, after
// it b.out, picked after a.out; nothing after the file marker picks a.out twice. The plan is read
// two bytes at a time: the first picks a fault (its value modulo one more than the number of
// refusable host calls: the last choice is an allocation of the add-on), the second plus one is
// the occurrence that fails (the nth call of that host function, or the nth allocation).
#ifndef CVL_TOOLS_FUZZ_FUZZ_INPUT_H
#define CVL_TOOLS_FUZZ_FUZZ_INPUT_H

#include <filesystem>
#include <string_view>

#include "tools/fuzz/selection_load.h"

namespace cvl::fuzz {

inline constexpr std::string_view kFileMarker = "%%next-file%%";
inline constexpr std::string_view kFaultMarker = "%%faults%%";

// Writes the input's files into folder (a.out, b.out, replacing them), loads them through the
// selection callback with the input's faults, and returns what the load left and the rules it
// broke. Throws std::runtime_error when a file cannot be written.
SelectionLoad loadFuzzInput(std::string_view input, const std::filesystem::path& folder);

}  // namespace cvl::fuzz

#endif  // CVL_TOOLS_FUZZ_FUZZ_INPUT_H
