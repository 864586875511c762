// Unusable names on POSIX systems: /dev/zero, a FIFO, a file with no permissions.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/robustness/unusable_names.h"

namespace cvltest {

std::vector<UnusableName> unusableNames() {
  return {
      {"endless character device", [](const TempDir&) { return std::string("/dev/zero"); }},
      {"named pipe without a writer",
       [](const TempDir& dir) {
         const std::string path = (dir.path() / "p.out").string();
         EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
         return path;
       }},
      {"file without read permission",
       [](const TempDir& dir) {
         const std::string path = dir.write("locked.out", "# CONVERGE\n");
         std::filesystem::permissions(path, std::filesystem::perms::none);
         return ::access(path.c_str(), R_OK) == 0 ? std::string() : path;
       }},
  };
}

void releaseWaitingOpen(const std::string& name) {
  ::close(::open(name.c_str(), O_RDWR | O_NONBLOCK));
}

}  // namespace cvltest
