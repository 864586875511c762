// AddOnLoad: the loader add-on opened in this process and driven as the stand-in host drives
// it when a user picks a file in the load dialog.
#ifndef CVL_TOOLS_BENCH_TIMING_ADDON_LOAD_H
#define CVL_TOOLS_BENCH_TIMING_ADDON_LOAD_H

#include <cstdint>
#include <string>

#include "standins/qorutil/qorutil_api.h"

namespace cvl::bench {

class AddOnLoad {
 public:
  AddOnLoad() = default;
  ~AddOnLoad();  // frees the prepared list and closes the module
  AddOnLoad(const AddOnLoad&) = delete;
  AddOnLoad& operator=(const AddOnLoad&) = delete;
  AddOnLoad(AddOnLoad&&) = delete;
  AddOnLoad& operator=(AddOnLoad&&) = delete;

  // Opens the add-on's module at modulePath and finds its entry point. False with a message in
  // error when the module cannot be opened or does not export the entry point.
  bool open(const std::string& modulePath, std::string& error);

  // Makes the host as new (its dataset, and the value arrays with it, are freed), registers the
  // add-on again through its entry point and prepares a picked-names list holding path. False
  // with a message in error when the add-on registered no loader with a selection callback.
  bool prepare(const std::string& path, std::string& error);

  // The load itself, the part that is timed: calls the loader's selection callback with the
  // prepared list. Call prepare first.
  void load();

  // Makes the module's loads use the row kernel of that name. False, with a message in error,
  // when the module cannot choose kernels (only the benchmark's build of the add-on can) or has
  // no such kernel for this processor.
  bool useRowKernel(const std::string& name, std::string& error);

  // The name of the row kernel the module's loads use; "?" when the module cannot tell.
  std::string rowKernel() const;

  // True when the last load showed no message and left a dataset whose every zone holds
  // expectedPoints points; else false with what was found in error.
  bool succeeded(int64_t expectedPoints, std::string& error) const;

  // The folder of the running program followed by the file name of the benchmark's build of the
  // add-on: where the build puts it, beside the programs.
  static std::string defaultModulePath();

 private:
  void freeList();

  void* module_ = nullptr;
  void (*entryPoint_)() = nullptr;
  QvLoaderSelectedCallback selected_ = nullptr;
  QvStringList picked_ = nullptr;
};

}  // namespace cvl::bench

#endif  // CVL_TOOLS_BENCH_TIMING_ADDON_LOAD_H
