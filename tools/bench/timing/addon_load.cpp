#include "tools/bench/timing/addon_load.h"

#include <dlfcn.h>
#include <unistd.h>

#include <array>
#include <string_view>

#include "standins/qvsdkbase/host_control.h"

namespace cvl::bench {
namespace {

constexpr const char* kEntryPointName = "InitQorAddOn113";
constexpr std::string_view kModuleFileName = "libconvergeoutloader_bench.so";

}  // namespace

AddOnLoad::~AddOnLoad() {
  freeList();
  if (module_ != nullptr) ::dlclose(module_);
}

bool AddOnLoad::open(const std::string& modulePath, std::string& error) {
  module_ = ::dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module_ == nullptr) {
    const char* reason = ::dlerror();
    error = "cannot open the add-on " + modulePath + ": " + (reason ? reason : "unknown error");
    return false;
  }
  void* symbol = ::dlsym(module_, kEntryPointName);
  if (symbol == nullptr) {
    error = modulePath + " does not export " + kEntryPointName;
    return false;
  }
  // dlsym hands out functions as object pointers; POSIX guarantees the round trip.
  entryPoint_ = reinterpret_cast<void (*)()>(symbol);
  return true;
}

bool AddOnLoad::prepare(const std::string& path, std::string& error) {
  freeList();
  qvsdkbase::reset();
  entryPoint_();
  selected_ = nullptr;
  for (const qvsdkbase::Loader& loader : qvsdkbase::loaders()) {
    if (loader.selectedCallback != nullptr) selected_ = loader.selectedCallback;
  }
  if (selected_ == nullptr) {
    error = "the add-on registered no loader with a selection callback";
    return false;
  }
  picked_ = qvsdkbase::makeStringList({path});
  return true;
}

void AddOnLoad::load() {
  selected_(picked_);
}

bool AddOnLoad::useRowKernel(const std::string& name, std::string& error) {
  void* symbol = module_ != nullptr ? ::dlsym(module_, "cvlBenchUseRowKernel") : nullptr;
  if (symbol == nullptr) {
    error = "this add-on module cannot choose its row kernel (build convergeoutloader_bench)";
    return false;
  }
  if (reinterpret_cast<int (*)(const char*)>(symbol)(name.c_str()) == 0) {
    error = "no row kernel \"" + name + "\" for this processor";
    return false;
  }
  return true;
}

std::string AddOnLoad::rowKernel() const {
  void* symbol = module_ != nullptr ? ::dlsym(module_, "cvlBenchRowKernel") : nullptr;
  return symbol != nullptr ? reinterpret_cast<const char* (*)()>(symbol)() : "?";
}

bool AddOnLoad::succeeded(int64_t expectedPoints, std::string& error) const {
  if (!qvsdkbase::messages().empty()) {
    error = "the load showed: " + qvsdkbase::messages().front();
    return false;
  }
  const qvsdkbase::DataSet* dataSet = qvsdkbase::dataSet();
  if (dataSet == nullptr || dataSet->zones.empty()) {
    error = "the load made no dataset with zones";
    return false;
  }
  for (const qvsdkbase::Zone& zone : dataSet->zones) {
    if (zone.points != expectedPoints) {
      error = "zone " + zone.name + " holds " + std::to_string(zone.points) + " points, not " +
              std::to_string(expectedPoints);
      return false;
    }
  }
  return true;
}

std::string AddOnLoad::defaultModulePath() {
  std::array<char, 4096> buffer{};
  const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  std::string folder = length > 0 ? std::string(buffer.data(), static_cast<size_t>(length)) : "";
  const size_t slash = folder.rfind('/');
  folder = slash == std::string::npos ? "." : folder.substr(0, slash);
  return folder + "/" + std::string(kModuleFileName);
}

void AddOnLoad::freeList() {
  if (picked_ != nullptr) qvsdkbase::freeStringList(picked_);
  picked_ = nullptr;
}

}  // namespace cvl::bench
