// The compatibility check of a later file against the first file of a load.
#include "addon/assembly/compatibility.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace cvl {
namespace {

// The variable name row, against which every disagreement is reported.
constexpr uint64_t kVariableNameLine = 3;

}  // namespace

bool checkCompatible(const OutFileInfo& first, const OutFileInfo& later,
                     const qorvian::qorutilutil::AsciiFile& laterFile) {
  std::string_view fault;
  if (first.numVariables != later.numVariables) {
    fault = "Incompatible datasets.  Number of variables are not equal";
  } else if (!std::ranges::equal(first.dataSetVariableNames(), later.dataSetVariableNames())) {
    fault = "Incompatible datasets.  Variable names are not equal";
  } else if (first.variableTypes() != later.variableTypes()) {
    fault = "Incompatible datasets.  Variable data types not equal";
  } else {
    return true;
  }
  laterFile.error(fault, kVariableNameLine);
  return false;
}

}  // namespace cvl
