// Every input of the fuzz target's checked-in corpus, loaded once as the fuzz target loads it:
// an input that once broke a rule is checked on every run, not only when the fuzzer picks it.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "tests/support/temp_dir.h"
#include "tools/fuzz/fuzz_input.h"

namespace {

TEST(FuzzCorpus, EveryInputKeepsTheLoadRules) {
  const std::set<std::filesystem::path> inputs(  // in order of their names
      std::filesystem::directory_iterator(CVL_FUZZ_CORPUS_DIR), {});
  ASSERT_GE(inputs.size(), 60u) << CVL_FUZZ_CORPUS_DIR;
  const cvl::test::TempDir folder;
  for (const std::filesystem::path& input : inputs) {
    const auto load = cvl::fuzz::loadFuzzInput(cvl::test::readWholeFile(input), folder.path());
    EXPECT_TRUE(load.violations.empty())
        << input.filename() << ": " << testing::PrintToString(load.violations)
        << testing::PrintToString(load.messages);
  }
}

}  // namespace
