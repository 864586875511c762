// Unusable names on Windows: the NUL device, a named pipe that a server offers, a file that
// another handle holds without sharing.
#include <windows.h>

#include <gtest/gtest.h>

#include <random>

#include "tests/addon/robustness/unusable_names.h"

namespace cvl::test {

namespace {

// Handles that must stay open while the loads run; closed when the test program ends.
HANDLE keepOpen(HANDLE handle) {
  EXPECT_NE(handle, INVALID_HANDLE_VALUE);
  static std::vector<HANDLE> held;
  held.push_back(handle);
  return handle;
}

}  // namespace

std::vector<UnusableName> unusableNames() {
  return {
      {"endless character device", [](const TempDir&) { return std::string("\\\\.\\NUL"); }},
      {"named pipe with a server",
       [](const TempDir&) {
         const std::string name =
             "\\\\.\\pipe\\cvltest-" + std::to_string(std::random_device{}()) + ".out";
         keepOpen(::CreateNamedPipeA(name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE,
                                     PIPE_UNLIMITED_INSTANCES, 4096, 4096, 0, nullptr));
         return name;
       }},
      {"file held by another program without sharing",
       [](const TempDir& dir) {
         const std::string path = dir.write("locked.out", "# CONVERGE\n");
         keepOpen(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
         return path;
       }},
  };
}

void releaseWaitingOpen(const std::string&) {}  // opens on Windows do not wait

}  // namespace cvl::test
