// The operating system's side of loading an add-on library: the only place where minihost
// meets the operating system's loader. dynamic_library_posix.cpp and
// dynamic_library_windows.cpp implement it, and one of them is built.
#ifndef CVL_TOOLS_MINIHOST_PLATFORM_DYNAMIC_LIBRARY_H
#define CVL_TOOLS_MINIHOST_PLATFORM_DYNAMIC_LIBRARY_H

#include <optional>
#include <string>

namespace cvl::minihost::os {

// Loads the library file at path, taken as a path and never searched for: a bare name means the
// file in the current folder. The handle, or null with the system's reason in error. The caller
// unloads it with unloadLibrary.
void* loadLibrary(const std::string& path, std::string& error);

// The address of the exported function name in library, or null when it has none.
void* findFunction(void* library, const char* name);

// Unloads a library from loadLibrary.
void unloadLibrary(void* library) noexcept;

// The full name of fileName in the folder of the running program, as a narrow name that
// loadLibrary takes. Nothing, with the reason in error, when the folder cannot be found or named.
std::optional<std::string> besideProgram(const std::string& fileName, std::string& error);

// The full name of fileName in the folder of the loaded module (a program or a shared library)
// that holds the code or data at address, as a narrow name that loadLibrary takes. Nothing, with
// the reason in error, when no loaded module holds address or its folder cannot be named.
std::optional<std::string> besideModule(const std::string& fileName, const void* address,
                                        std::string& error);

}  // namespace cvl::minihost::os

#endif  // CVL_TOOLS_MINIHOST_PLATFORM_DYNAMIC_LIBRARY_H
