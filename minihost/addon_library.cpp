#include "minihost/addon_library.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>
#include <utility>

namespace minihost {

namespace {

constexpr const char* kEntryPointName = "InitQorAddOn113";
constexpr const char* kDefaultAddOnFile = "libconvergeoutloader.so";

// The dynamic loader's last error text, or fallback when it has none.
std::string loaderError(const char* fallback) {
  const char* text = dlerror();
  return text != nullptr ? text : fallback;
}

}  // namespace

std::optional<AddOnLibrary> AddOnLibrary::open(const std::string& path, std::string& error) {
  // A bare file name means the file in the current folder, not a search of the library path.
  const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
  dlerror();
  void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    error = "cannot load add-on: " + loaderError(path.c_str());
    return std::nullopt;
  }
  dlerror();
  void* symbol = dlsym(handle, kEntryPointName);
  if (symbol == nullptr) {
    error = "add-on " + path + " has no entry point " + kEntryPointName;
    dlclose(handle);
    return std::nullopt;
  }
  return AddOnLibrary(handle, reinterpret_cast<EntryPoint>(symbol));
}

AddOnLibrary::~AddOnLibrary() {
  if (handle_ != nullptr) dlclose(handle_);
}

AddOnLibrary::AddOnLibrary(AddOnLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)),
      entryPoint_(std::exchange(other.entryPoint_, nullptr)) {}

AddOnLibrary& AddOnLibrary::operator=(AddOnLibrary&& other) noexcept {
  if (this != &other) {
    if (handle_ != nullptr) dlclose(handle_);
    handle_ = std::exchange(other.handle_, nullptr);
    entryPoint_ = std::exchange(other.entryPoint_, nullptr);
  }
  return *this;
}

void AddOnLibrary::initialise() const {
  if (entryPoint_ != nullptr) entryPoint_();
}

std::optional<std::string> defaultAddOnPath(std::string& error) {
  std::error_code failure;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", failure);
  if (failure) {
    error = "cannot find this program's folder: " + failure.message();
    return std::nullopt;
  }
  return (program.parent_path() / kDefaultAddOnFile).string();
}

}  // namespace minihost
