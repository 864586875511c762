// The token search splits a line into the same tokens whether it walks a block of lines (the data
// rows) or one line's text (the Scanner's header lines): the runs of bytes other than space, tab,
// LF, VT, FF and CR, wherever the 64-byte steps fall.
#include "addon/numbers/token_search.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "standins/common_strutil/scanner.h"

namespace {

using cvl::numbers::portable::TextKind;
using cvl::numbers::portable::TokenSearch;
using Tokens = std::vector<std::string>;

// The tokens of text by the rule itself, one byte at a time.
Tokens splitByRule(std::string_view text) {
  Tokens tokens;
  std::string token;
  for (const char c : text) {
    if (std::string_view(" \t\n\v\f\r").find(c) == std::string_view::npos) {
      token += c;
    } else if (!token.empty()) {
      tokens.push_back(token);
      token.clear();
    }
  }
  if (!token.empty()) tokens.push_back(token);
  return tokens;
}

template <TextKind kKind>
Tokens search(const char* begin, const char* end) {
  TokenSearch<kKind> tokens(begin, end);
  Tokens found;
  while (const char* token = tokens.nextToken()) found.emplace_back(token, tokens.cursor());
  return found;
}

// The tokens of line as the first line of a block (with the readable bytes around it that a
// block has), and as a text of its own with nothing around it.
Tokens inBlock(std::string_view line) {
  const std::string padding(64, 'x');
  const std::string block = padding + std::string(line) + "\nnext line\n" + padding;
  const char* begin = block.data() + padding.size();
  return search<TextKind::kLines>(begin, block.data() + block.size() - padding.size());
}
Tokens inText(std::string_view line) {
  const std::string copy(line);  // its own allocation, so that a read past it is caught
  return search<TextKind::kText>(copy.data(), copy.data() + copy.size());
}

TEST(TokenSearch, BlocksOfLinesAndTextsSplitAlike) {
  const std::string long63(63, 'a'), long64(64, 'b'), long65(65, 'c');
  const std::vector<std::string> lines = {
      "",
      "   ",
      "one",
      " \t\v\f\r1.5e+00\t-2  x ",
      long63 + " " + long64,
      std::string(61, ' ') + long65 + " z",
      long64,
      std::string(63, ' ') + "q",
      std::string(64, ' ') + "q" + std::string(64, ' '),
      long65 + long65 + " " + long63,
  };
  for (const std::string& line : lines) {
    SCOPED_TRACE(testing::PrintToString(line));
    EXPECT_EQ(inBlock(line), splitByRule(line));
    EXPECT_EQ(inText(line), splitByRule(line));
    // The Scanner takes the same tokens.
    qorvian::Scanner scanner(line);
    Tokens scanned;
    while (scanner.hasNextToken()) scanned.emplace_back(scanner.nextToken());
    EXPECT_EQ(scanned, splitByRule(line));
  }
}

// A NUL byte ends a line's text in a block, as the line file ends a line there; in a text it is a
// byte of a token.
TEST(TokenSearch, NulEndsALineOnlyInABlock) {
  const std::string line("1 2\0003 4", 7);
  EXPECT_EQ(inBlock(line), (Tokens{"1", "2"}));
  EXPECT_EQ(inText(line), (Tokens{"1", std::string("2\0003", 3), "4"}));
}

// A block's walk goes on line by line; the search of a line stays at its end until nextLine.
TEST(TokenSearch, NextLineMovesOnToTheFollowingLine) {
  const std::string padding(64, 'x');
  const std::string block = padding + "a b\n" + std::string(70, ' ') + "c\n\nd\n" + padding;
  TokenSearch<TextKind::kLines> tokens(block.data() + 64, block.data() + block.size() - 64);
  Tokens lines;
  while (!tokens.atEnd()) {
    std::string words;
    while (const char* token = tokens.nextToken()) words += std::string(token, tokens.cursor());
    EXPECT_EQ(tokens.nextToken(), nullptr);
    lines.push_back(words);
    tokens.nextLine();
  }
  EXPECT_EQ(lines, (Tokens{"ab", "c", "", "d"}));
}

}  // namespace
