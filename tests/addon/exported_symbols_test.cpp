// The add-on's library exports its entry point and nothing else.
#include <stdio.h>

#include <array>
#include <sstream>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

TEST(ExportedSymbols, OnlyTheEntryPoint) {
  FILE* nm = popen("nm -D --defined-only '" CVL_ADDON_MODULE "'", "r");
  ASSERT_NE(nm, nullptr);
  std::vector<std::string> names;  // the third field of each line: address, type, name
  std::array<char, 1024> line{};
  while (fgets(line.data(), line.size(), nm) != nullptr) {
    std::istringstream fields(line.data());
    if (std::string address, type, name; fields >> address >> type >> name) names.push_back(name);
  }
  ASSERT_EQ(pclose(nm), 0);
  EXPECT_THAT(names, testing::ElementsAre("InitQorAddOn113"));
}

}  // namespace
