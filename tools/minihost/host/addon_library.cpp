#include "tools/minihost/host/addon_library.h"

#include <utility>

#include "tools/minihost/platform/dynamic_library.h"

namespace cvl::minihost {

namespace {

constexpr const char* kEntryPointName = "InitQorAddOn113";

}  // namespace

std::optional<AddOnLibrary> AddOnLibrary::open(const std::string& path, std::string& error) {
  std::string reason;
  void* handle = os::loadLibrary(path, reason);
  if (handle == nullptr) {
    error = "cannot load add-on: " + reason;
    return std::nullopt;
  }
  void* symbol = os::findFunction(handle, kEntryPointName);
  if (symbol == nullptr) {
    error = "add-on " + path + " has no entry point " + kEntryPointName;
    os::unloadLibrary(handle);
    return std::nullopt;
  }
  return AddOnLibrary(handle, reinterpret_cast<EntryPoint>(symbol));
}

AddOnLibrary::~AddOnLibrary() {
  if (handle_ != nullptr) os::unloadLibrary(handle_);
}

AddOnLibrary::AddOnLibrary(AddOnLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)),
      entryPoint_(std::exchange(other.entryPoint_, nullptr)) {}

AddOnLibrary& AddOnLibrary::operator=(AddOnLibrary&& other) noexcept {
  if (this != &other) {
    if (handle_ != nullptr) os::unloadLibrary(handle_);
    handle_ = std::exchange(other.handle_, nullptr);
    entryPoint_ = std::exchange(other.entryPoint_, nullptr);
  }
  return *this;
}

void AddOnLibrary::initialise() const {
  if (entryPoint_ != nullptr) entryPoint_();
}

void* AddOnLibrary::findFunction(const char* name) const {
  return handle_ == nullptr ? nullptr : os::findFunction(handle_, name);
}

std::optional<std::string> defaultAddOnPath(std::string& error) {
  return os::besideProgram(CVL_ADDON_FILE_NAME, error);
}

std::optional<std::string> addOnPathBesideModule(const void* address, std::string& error) {
  return addOnPathBesideModule(CVL_ADDON_FILE_NAME, address, error);
}

std::optional<std::string> addOnPathBesideModule(const std::string& fileName, const void* address,
                                                 std::string& error) {
  return os::besideModule(fileName, address, error);
}

}  // namespace cvl::minihost
