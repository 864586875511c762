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
  // Refused texts, each followed by '|'.
  const std::string refused =
      "2147483648|-2147483649|99999999999999999999||+|-|+-1|++1|--1| 1|1 |1\n|1\0|"
      "1.0|1e3|0x10|two|2files|"s;
  for (size_t at = 0, bar; (bar = refused.find('|', at)) != std::string::npos; at = bar + 1) {
    const std::string text = refused.substr(at, bar - at);
    EXPECT_THROW(qorvian::lexical_cast<int>(text), qorvian::bad_lexical_cast)
        << testing::PrintToString(text);
  }
  EXPECT_STREQ(qorvian::bad_lexical_cast().what(), "bad lexical cast");
}
