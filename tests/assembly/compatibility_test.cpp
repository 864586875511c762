// The compatibility check of a later file against the first.
#include "assembly/compatibility.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "minihost/host_control.h"
#include "tests/support/temp_dir.h"

namespace {

// The text that AsciiFile::error shows for message against line of the file path.
std::string lineMessage(const std::string& path, uint64_t line, std::string_view message) {
  return "File \"" + path + "\", line " + std::to_string(line) + ": " + std::string(message);
}

cvl::OutFileInfo variables(std::vector<std::string> names, std::vector<QvDataType> types) {
  cvl::OutFileInfo info;
  info.numVariables = static_cast<int32_t>(names.size());
  info.varNames = std::move(names);
  info.varDataTypes = std::move(types);
  return info;
}

TEST(CheckCompatible, ComparesCountNamesAndTypesInThatOrder) {
  constexpr const char* kCount = "Incompatible datasets.  Number of variables are not equal";
  constexpr const char* kNames = "Incompatible datasets.  Variable names are not equal";
  constexpr const char* kTypes = "Incompatible datasets.  Variable data types not equal";
  cvl::OutFileInfo first = variables({"Time (s)", "Pressure", "Steps"}, {2, 2, 3});
  first.numPoints = 10;  // rows, zones and columns do not take part
  first.zoneNames = {"a", "b"};
  struct Case {
    cvl::OutFileInfo later;
    const char* fault;  // null: compatible
  };
  const Case cases[] = {
      {variables({"Time (s)", "Pressure", "Steps"}, {2, 2, 3}), nullptr},
      {variables({"Pressure", "Time (s)", "Steps"}, {2, 2, 3}), kNames},
      {variables({"Time (s)", "pressure", "Steps"}, {2, 2, 3}), kNames},
      {variables({"Time (s)", "Pressure ", "Steps"}, {2, 2, 3}), kNames},
      {variables({"Time (s)", "Pressure", "Steps", "Extra"}, {2, 2, 3, 2}), kCount},
      {variables({"Time (s)", "Pressure"}, {2, 2}), kCount},
      {variables({"Time (s)", "Pressure", "Steps"}, {2, 2, 2}), kTypes},
      {variables({"Time (s)", "Pressure", "Steps"}, {2, 2, 3, 2}), kTypes},
      {variables({"Time (s)", "Pressure", "Steps"}, {2, 2}), kTypes},
  };
  const cvltest::TempDir dir;
  const std::string path = dir.write("later.out", "1\n2\n3\n4\n5\n6\n");
  qorvian::qorutilutil::AsciiFile file;
  ASSERT_TRUE(file.open(path));
  file.readLine();  // a message names line 3 whatever line was read last
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.later.varNames) +
                 testing::PrintToString(c.later.varDataTypes));
    minihost::reset();
    EXPECT_EQ(cvl::checkCompatible(first, c.later, file), c.fault == nullptr);
    EXPECT_EQ(minihost::messages(), c.fault == nullptr
                                        ? std::vector<std::string>{}
                                        : std::vector<std::string>{lineMessage(path, 3, c.fault)});
  }
}

}  // namespace
