// The load sequence: a list of files into one host dataset.
#ifndef CVL_ADDON_ASSEMBLY_LOAD_SEQUENCE_H
#define CVL_ADDON_ASSEMBLY_LOAD_SEQUENCE_H

#include <string>
#include <vector>

namespace cvl {

// Loads the files in order, one open at a time: the first creates the dataset, every file adds
// its zones and values. False after the first failure, which has been reported once; what was
// added before it stays in the host.
bool loadFileList(const std::vector<std::string>& fileNames);

}  // namespace cvl

#endif  // CVL_ADDON_ASSEMBLY_LOAD_SEQUENCE_H
