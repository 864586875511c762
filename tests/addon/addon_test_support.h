// What the add-on's tests share: the module loaded as the host loads it, the host's call log and
// its faults in short form, and the check that the host is back at rest.
#ifndef CVL_TESTS_ADDON_ADDON_TEST_SUPPORT_H
#define CVL_TESTS_ADDON_ADDON_TEST_SUPPORT_H

#include <algorithm>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "minihost/dynamic_library.h"
#include "qvsdkbase/host_control.h"

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

#ifdef CVL_ADDON_MODULE
// InitQorAddOn113 of the module at CVL_ADDON_MODULE, loaded once per process and kept loaded.
inline void (*addOnEntryPoint())() {
  static void* const module = [] {
    std::string error;
    void* loaded = minihost::os::loadLibrary(CVL_ADDON_MODULE, error);
    if (loaded == nullptr) throw std::runtime_error(error);
    return loaded;
  }();
  return reinterpret_cast<void (*)()>(minihost::os::findFunction(module, "InitQorAddOn113"));
}
#endif

// The calls from position from of the log on, as "function detail" or "function"; only those of
// the functions named in keep ('|'-separated) when keep is given.
inline std::vector<std::string> callsSince(size_t from, const std::string& keep = "") {
  const std::vector<std::string> kept = split(keep);
  std::vector<std::string> made;
  for (size_t i = from; i < qvsdkbase::calls().size(); ++i) {
    const qvsdkbase::Call& c = qvsdkbase::calls()[i];
    if (keep.empty() || std::ranges::find(kept, c.function) != kept.end())
      made.push_back(c.detail.empty() ? c.function : c.function + " " + c.detail);
  }
  return made;
}

// Arms fault, "function nth" to fail that call or "function nth!" to make it throw
// std::bad_alloc; "" arms nothing.
inline void injectFault(const std::string& fault) {
  if (fault.empty()) return;
  const size_t space = fault.find(' ');
  qvsdkbase::injectFault(
      fault.substr(0, space), std::stoll(fault.substr(space + 1)),
      fault.back() == '!' ? qvsdkbase::FaultKind::BadAlloc : qvsdkbase::FaultKind::Fail);
}

// Makes the host's error dialog throw at its first message, or at every message when every is
// set: std::runtime_error("sink failed") when standard is set, else an int.
inline void throwFromMessages(bool standard, bool every = false) {
  qvsdkbase::setMessageSink([standard, every, thrown = false](const std::string&) mutable {
    if (std::exchange(thrown, true) && !every) return;
    if (standard) throw std::runtime_error("sink failed");
    throw 42;
  });
}

// Expects no lock violation, no lock held, no load open and the busy indication off.
inline void expectHostAtRest() {
  for (const std::string& violation : qvsdkbase::lockViolations()) ADD_FAILURE() << violation;
  EXPECT_EQ(qvsdkbase::lockDepth(), 0);
  EXPECT_EQ(qvsdkbase::loadDepth(), 0);
  EXPECT_FALSE(qvsdkbase::busy());
}

}  // namespace cvltest

#endif  // CVL_TESTS_ADDON_ADDON_TEST_SUPPORT_H
