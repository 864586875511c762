// Library loading on POSIX systems: dlopen, dlsym, the program's folder from /proc and a
// module's from dladdr.
#include <dlfcn.h>

#include <filesystem>
#include <system_error>

#include "tools/minihost/platform/dynamic_library.h"

namespace cvl::minihost::os {

void* loadLibrary(const std::string& path, std::string& error) {
  // A name without a slash would be searched for on the library path.
  const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
  dlerror();
  void* library = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* reason = dlerror();
    error = reason != nullptr ? reason : path;
  }
  return library;
}

void* findFunction(void* library, const char* name) {
  return dlsym(library, name);
}

void unloadLibrary(void* library) noexcept {
  dlclose(library);
}

std::optional<std::string> besideProgram(const std::string& fileName, std::string& error) {
  std::error_code failure;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", failure);
  if (failure) {
    error = "cannot find this program's folder: " + failure.message();
    return std::nullopt;
  }
  return (program.parent_path() / fileName).string();
}

std::optional<std::string> besideModule(const std::string& fileName, const void* address,
                                        std::string& error) {
  Dl_info module{};
  if (dladdr(address, &module) == 0 || module.dli_fname == nullptr) {
    error = "cannot find the module that holds this code";
    return std::nullopt;
  }
  return (std::filesystem::path(module.dli_fname).parent_path() / fileName).string();
}

}  // namespace cvl::minihost::os
