// Library loading on Windows: LoadLibraryExA with a full path, GetProcAddress, and the folder of
// the program or of a module from GetModuleFileNameW. Narrow names are in the process's ANSI code
// page, as the command line gives them.
#include <windows.h>

#include <string_view>
#include <vector>

#include "tools/minihost/platform/dynamic_library.h"

namespace cvl::minihost::os {

namespace {

// The system's text for an error code, without its line end.
std::string systemMessage(DWORD code) {
  char* text = nullptr;
  const DWORD length = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = length != 0 ? std::string(text, length) : std::string();
  ::LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' ' || message.back() == '.')) {
    message.pop_back();
  }
  return message.empty() ? "error " + std::to_string(code) : message;
}

}  // namespace

void* loadLibrary(const std::string& path, std::string& error) {
  // A full path: the DLL search order can then not pick another file of that name, and the
  // library's own imports are looked for in its folder first.
  const DWORD needed = ::GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
  std::vector<char> full(needed == 0 ? 1 : needed);
  if (needed == 0 || ::GetFullPathNameA(path.c_str(), needed, full.data(), nullptr) >= needed) {
    error = path + ": " + systemMessage(::GetLastError());
    return nullptr;
  }
  HMODULE library = ::LoadLibraryExA(full.data(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (library == nullptr) error = path + ": " + systemMessage(::GetLastError());
  return reinterpret_cast<void*>(library);
}

void* findFunction(void* library, const char* name) {
  return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(library), name));
}

void unloadLibrary(void* library) noexcept {
  ::FreeLibrary(static_cast<HMODULE>(library));
}

namespace {

// fileName in the folder of module (null: the program), named in the ANSI code page.
std::optional<std::string> besideModuleHandle(const std::string& fileName, HMODULE module,
                                              std::string& error) {
  std::wstring program(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(module, program.data(), static_cast<DWORD>(program.size()));
    if (length == 0) {
      error = "cannot find the module's folder: " + systemMessage(::GetLastError());
      return std::nullopt;
    }
    if (length < program.size()) {
      program.resize(length);
      break;
    }
    program.resize(program.size() * 2);
  }
  const std::wstring folder = program.substr(0, program.find_last_of(L"\\/") + 1);
  // In the ANSI code page, refusing a folder name that has no exact narrow form there. UTF-8
  // names every folder and takes no flags.
  const bool utf8 = ::GetACP() == CP_UTF8;
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL lossy = FALSE;
  const int wide = static_cast<int>(folder.size());
  const int size = ::WideCharToMultiByte(CP_ACP, flags, folder.data(), wide, nullptr, 0, nullptr,
                                         utf8 ? nullptr : &lossy);
  std::string narrow(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) {
    ::WideCharToMultiByte(CP_ACP, flags, folder.data(), wide, narrow.data(), size, nullptr,
                          nullptr);
  }
  if (size == 0 || lossy) {
    error = "the module's folder cannot be named in the ANSI code page";
    return std::nullopt;
  }
  return narrow + fileName;
}

}  // namespace

std::optional<std::string> besideProgram(const std::string& fileName, std::string& error) {
  return besideModuleHandle(fileName, nullptr, error);
}

std::optional<std::string> besideModule(const std::string& fileName, const void* address,
                                        std::string& error) {
  HMODULE module = nullptr;
  if (!::GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          static_cast<LPCWSTR>(address), &module)) {
    error = "cannot find the module that holds this code: " + systemMessage(::GetLastError());
    return std::nullopt;
  }
  return besideModuleHandle(fileName, module, error);
}

}  // namespace cvl::minihost::os
