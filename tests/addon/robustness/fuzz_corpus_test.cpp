// Every input of the fuzz target's checked-in corpus, loaded once as the fuzz target loads it:
// an input that once broke a rule is checked on every run, not only when the fuzzer picks it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tools/fuzz/fuzz_input.h"

namespace {

TEST(FuzzCorpus, EveryInputKeepsTheLoadRules) {
  std::vector<std::filesystem::path> inputs;
  for (const auto& entry : std::filesystem::directory_iterator(CVL_FUZZ_CORPUS_DIR))
    inputs.push_back(entry.path());
  std::sort(inputs.begin(), inputs.end());
  ASSERT_GE(inputs.size(), 60u) << CVL_FUZZ_CORPUS_DIR;
  const cvl::test::TempDir folder;
  for (const std::filesystem::path& input : inputs) {
    std::ifstream in(input, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const cvl::test::SelectionLoad load = cvl::test::loadFuzzInput(bytes.str(), folder);
    EXPECT_TRUE(load.violations.empty())
        << input.filename() << ": " << testing::PrintToString(load.violations)
        << testing::PrintToString(load.messages);
  }
}

}  // namespace
