// AddOnLibrary: an add-on's shared library, loaded the way the host loads it.
#ifndef CVL_TOOLS_MINIHOST_HOST_ADDON_LIBRARY_H
#define CVL_TOOLS_MINIHOST_HOST_ADDON_LIBRARY_H

#include <optional>
#include <string>

namespace cvl::minihost {

class AddOnLibrary {
 public:
  // Loads the library file at path (a bare name is taken from the current folder) and finds its
  // entry point InitQorAddOn113 by name. Nothing, with a one-line reason in error, when the library
  // cannot be loaded or has no entry point.
  static std::optional<AddOnLibrary> open(const std::string& path, std::string& error);

  // Unloads the library.
  ~AddOnLibrary();
  AddOnLibrary(const AddOnLibrary&) = delete;
  AddOnLibrary& operator=(const AddOnLibrary&) = delete;
  // The moved-from object holds no library.
  AddOnLibrary(AddOnLibrary&& other) noexcept;
  AddOnLibrary& operator=(AddOnLibrary&& other) noexcept;

  // Calls the entry point, as the host does once after loading the library.
  void initialise() const;
  // The address of another function that the library exports by name, or null when it has none:
  // for a build of the add-on that offers its tool more than the host's entry point.
  void* findFunction(const char* name) const;

 private:
  using EntryPoint = void (*)();
  AddOnLibrary(void* handle, EntryPoint entryPoint) : handle_(handle), entryPoint_(entryPoint) {}

  void* handle_ = nullptr;
  EntryPoint entryPoint_ = nullptr;
};

// The add-on built beside this program (libconvergeoutloader.so, or convergeoutloader.dll on
// Windows) in the folder of the running executable. Nothing, with a reason in error, when that
// folder cannot be found.
std::optional<std::string> defaultAddOnPath(std::string& error);

// The add-on built beside the loaded module (a program or a shared library, such as the Python
// extension) that holds the code or data at address: how a library finds the add-on installed
// with it, wherever the process's executable is. Nothing, with a reason in error, when that
// folder cannot be found.
std::optional<std::string> addOnPathBesideModule(const void* address, std::string& error);
// The same for an add-on library of another file name.
std::optional<std::string> addOnPathBesideModule(const std::string& fileName, const void* address,
                                                 std::string& error);

}  // namespace cvl::minihost

#endif  // CVL_TOOLS_MINIHOST_HOST_ADDON_LIBRARY_H
