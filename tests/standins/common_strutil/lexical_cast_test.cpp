// lexical_cast<int>: the texts it takes as an int, and the ones it refuses.
#include "standins/common_strutil/lexical_cast.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

TEST(LexicalCast, IntTexts) {
  const std::string accepted[] = {"0", "2", "-0", "+15", "-15", "007", "2147483647", "-2147483648"};
  const int values[] = {0, 2, 0, 15, -15, 7, 2147483647, -2147483647 - 1};
  for (size_t i = 0; i < std::size(accepted); ++i)
    EXPECT_EQ(qorvian::lexical_cast<int>(accepted[i]), values[i]) << accepted[i];
  const std::string refused[] = {
      "2147483648", "-2147483649", "",     "+",   "-",      "+-1",
      "++1",        "--1",         " 1",   "1 ",  "1\n",    "1\0"s,
      "1.0",        "1e3",         "0x10", "two", "2files", "99999999999999999999"};
  for (const std::string& text : refused) {
    EXPECT_THROW(qorvian::lexical_cast<int>(text), qorvian::bad_lexical_cast)
        << testing::PrintToString(text);
  }
  EXPECT_STREQ(qorvian::bad_lexical_cast().what(), "bad lexical cast");
}
