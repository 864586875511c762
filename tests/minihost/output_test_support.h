// What the tests of minihost's outputs share: minihost run as a process in a folder, files read
// whole, workbooks read back through openpyxl, and the loaded dataset in its JSON form.
#ifndef CVL_TESTS_MINIHOST_OUTPUT_TEST_SUPPORT_H
#define CVL_TESTS_MINIHOST_OUTPUT_TEST_SUPPORT_H

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace cvltest {

inline std::string readWholeFile(const std::filesystem::path& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

struct MinihostRun {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs minihost with args (shell words) in folder, with environment assignments (shell words)
// when given; its exit status, standard output and error.
inline MinihostRun runMinihost(const std::filesystem::path& folder, const std::string& args,
                               const std::string& environment = "") {
  const std::string quoted = "'" + folder.string() + "'";
  const int raw = std::system(("cd " + quoted + " && " + environment + " '" CVL_MINIHOST "' " +
                               args + " >" + quoted + "/.out 2>" + quoted + "/.err")
                                  .c_str());
  MinihostRun run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = readWholeFile(folder / ".out");
  run.err = readWholeFile(folder / ".err");
  std::filesystem::remove(folder / ".out");
  std::filesystem::remove(folder / ".err");
  return run;
}

// The workbook at path as read_workbook.py prints it, with each sheet's layout when layout is
// set; null, after a test failure, when it cannot be read.
inline nlohmann::json readWorkbook(const std::filesystem::path& path, bool layout) {
  const std::string python = CVL_WORKBOOK_PYTHON;
  if (python.empty()) {
    ADD_FAILURE() << "no python3 with openpyxl was found when the tests were configured "
                     "(Debian package python3-openpyxl)";
    return nullptr;
  }
  const std::filesystem::path dump = path.string() + ".json";
  const int status =
      std::system(("'" + python + "' '" CVL_READ_WORKBOOK "' " + (layout ? "--layout '" : "'") +
                   path.string() + "' >'" + dump.string() + "'")
                      .c_str());
  const std::string text = readWholeFile(dump);
  std::filesystem::remove(dump);
  if (status != 0) {
    ADD_FAILURE() << "read_workbook.py failed on " << path;
    return nullptr;
  }
  return nlohmann::json::parse(text);
}

}  // namespace cvltest

#endif  // CVL_TESTS_MINIHOST_OUTPUT_TEST_SUPPORT_H
