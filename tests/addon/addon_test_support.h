// What the add-on's tests share: the module loaded as the host loads it, the host's call log in
// short form, and the check that the host is back at rest.
#ifndef CVL_TESTS_ADDON_ADDON_TEST_SUPPORT_H
#define CVL_TESTS_ADDON_ADDON_TEST_SUPPORT_H

#include <dlfcn.h>

#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "minihost/host_control.h"

namespace cvltest {

// A valid one-zone file of two points.
inline constexpr const char* kGoodOutFile =
    "# CONVERGE test\n# column 1 2\n#  Time  Steps\n#  (s)  (number)\n#\n  0.5  1\n  1.5  2\n";

// The entries of a '|'-separated list ("" gives none).
inline std::vector<std::string> split(const std::string& text) {
  std::vector<std::string> entries;
  std::istringstream in(text);
  for (std::string entry; !text.empty() && std::getline(in, entry, '|');) entries.push_back(entry);
  if (!text.empty() && text.back() == '|') entries.emplace_back();
  return entries;
}

// InitQorAddOn113 of the module at CVL_ADDON_MODULE, loaded once per process and kept loaded.
inline void (*addOnEntryPoint())() {
#ifdef CVL_ADDON_MODULE
  static void* const module = dlopen(CVL_ADDON_MODULE, RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) throw std::runtime_error(dlerror());
  return reinterpret_cast<void (*)()>(dlsym(module, "InitQorAddOn113"));
#else
  return nullptr;
#endif
}

// The calls from position from of the log on, "function detail" or "function", filtered by keep.
inline std::vector<std::string> callsSince(
    size_t from,
    const std::function<bool(const std::string&)>& keep = [](const std::string&) { return true; }) {
  std::vector<std::string> made;
  for (size_t i = from; i < minihost::calls().size(); ++i) {
    const minihost::Call& c = minihost::calls()[i];
    if (keep(c.function))
      made.push_back(c.detail.empty() ? c.function : c.function + " " + c.detail);
  }
  return made;
}

inline size_t countCalls(const std::string& function, size_t from) {
  return callsSince(from, [&](const std::string& f) { return f == function; }).size();
}

// The load bracket: busy on/off, load start, hand-back and finish, in the order made.
inline std::vector<std::string> loadBracket(size_t from) {
  return callsSince(from, [](const std::string& f) {
    return f == "QorUtilPleaseWait" || f == "QorUtilDataLoadStart" ||
           f == "QorUtilImportSetLoaderInstr" || f == "QorUtilDataLoadFinishX";
  });
}

// Expects no lock violation, no lock held, no load open and the busy indication off.
inline void expectHostAtRest() {
  for (const std::string& violation : minihost::lockViolations()) ADD_FAILURE() << violation;
  EXPECT_EQ(minihost::lockDepth(), 0);
  EXPECT_EQ(minihost::loadDepth(), 0);
  EXPECT_FALSE(minihost::busy());
}

// Makes the host's error dialog throw at its first message: a std::runtime_error("sink
// failed") when std is set, else a non-std exception (an int).
inline void throwFromFirstMessage(bool std) {
  minihost::setMessageSink([std, thrown = false](const std::string&) mutable {
    if (thrown) return;
    thrown = true;
    if (std) throw std::runtime_error("sink failed");
    throw 42;
  });
}

}  // namespace cvltest

#endif  // CVL_TESTS_ADDON_ADDON_TEST_SUPPORT_H
