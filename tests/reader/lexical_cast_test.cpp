// lexical_cast<int>: the texts it takes as an int, and the ones it refuses.
#include "reader/lexical_cast.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

using namespace std::string_literals;

TEST(LexicalCast, IntTexts) {
  const std::pair<std::string, int> accepted[] = {{"0", 0},
                                                  {"2", 2},
                                                  {"-0", 0},
                                                  {"+15", 15},
                                                  {"-15", -15},
                                                  {"007", 7},
                                                  {"2147483647", 2147483647},
                                                  {"-2147483648", -2147483647 - 1}};
  for (const auto& [text, value] : accepted) {
    EXPECT_EQ(qorvian::lexical_cast<int>(text), value) << '"' << text << '"';
  }
  const std::string refused[] = {"2147483648", "-2147483649", "99999999999999999999",
                                 "",           "+",           "-",
                                 "+-1",        "++1",         "--1",
                                 " 1",         "1 ",          "1\n",
                                 "1\0"s,       "1.0",         "1e3",
                                 "0x10",       "two",         "2files"};
  for (const std::string& text : refused) {
    EXPECT_THROW(qorvian::lexical_cast<int>(text), qorvian::bad_lexical_cast)
        << testing::PrintToString(text);
  }
}

}  // namespace
