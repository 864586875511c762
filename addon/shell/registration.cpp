#include "addon/shell/registration.h"

#include "addon/assembly/loader_name.h"
#include "addon/shell/addon_version.h"
#include "addon/shell/loader_callbacks.h"
#include "standins/qorutil/qorutil_api.h"
#include "standins/qvtoolbox/arg_list.h"

namespace cvl {

namespace {

// The host's product code for this kind of add-on.
constexpr int32_t kProductCode = 141;
constexpr const char* kAuthor = "Qorvian Inc.";

// The loader's arguments, in the order the host expects them; false at the first refused one.
bool appendLoaderArguments(qorvian::ArgList& args) {
  return args.appendString("LoaderName", kLoaderName) &&
         args.appendString("FileNameExtensions", "*.out") &&
         args.appendInt("LoaderCallbackVersion", 2) &&
         args.appendFunction("LoaderCallback", reinterpret_cast<QvFunction>(&loaderCallback)) &&
         args.appendFunction("LoaderSelectedCallback",
                             reinterpret_cast<QvFunction>(&loaderSelectedCallback)) &&
         args.appendInt("AllowMultiFileSelection", 1) && args.appendInt("LoaderAdvancedOptions", 0);
}

}  // namespace

void registerAddOn() {
  addOnHandle = QorUtilAddOnRegister(kProductCode, kLoaderName, kAddOnVersion, kAuthor);
  qorvian::ArgList args;
  if (appendLoaderArguments(args)) QorUtilImportAddLoaderX(args.getRef());
}

}  // namespace cvl
