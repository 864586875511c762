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
  std::string output;
  std::array<char, 4096> buffer{};
  for (size_t n; (n = fread(buffer.data(), 1, buffer.size(), nm)) > 0;)
    output.append(buffer.data(), n);
  ASSERT_EQ(pclose(nm), 0) << output;
  std::vector<std::string> names;
  std::istringstream lines(output);
  for (std::string address, type, name; lines >> address >> type >> name;) names.push_back(name);
  EXPECT_THAT(names, testing::ElementsAre("InitQorAddOn113")) << output;
}

}  // namespace
