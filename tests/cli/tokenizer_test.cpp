#include "cli/tokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace romscope {
namespace {

std::vector<std::string> Tokens(std::string& line) {
  std::vector<std::string> tokens;
  char* cursor = line.data();
  char savedChar = line[0];
  while (char* token = NextToken(cursor, savedChar)) tokens.push_back(token);
  return tokens;
}

TEST(TokenizerTest, BlanksAndTabsSeparateAndNothingElseIsSpecial) {
  std::string line = "  prog\t-t   \"my file\"\t\t'x' a\\ b  ";
  EXPECT_EQ(Tokens(line),
            (std::vector<std::string>{"prog", "-t", "\"my", "file\"", "'x'", "a\\", "b"}));
}

TEST(TokenizerTest, LineHoldsItsTextAgainAfterTheLastToken) {
  const std::string original = "romscope -rec\timage.bin ";
  std::string line = original;
  EXPECT_EQ(Tokens(line).size(), 3u);
  EXPECT_EQ(line, original);
}

TEST(TokenizerTest, EachCallPutsBackWhatThePreviousOneOverwrote) {
  std::string line = "ab cd";
  char* cursor = line.data();
  char savedChar = line[0];
  char* first = NextToken(cursor, savedChar);
  EXPECT_STREQ(first, "ab");
  EXPECT_EQ(savedChar, ' ');
  EXPECT_EQ(line[2], '\0');
  char* second = NextToken(cursor, savedChar);
  EXPECT_STREQ(second, "cd");
  EXPECT_EQ(line[2], ' ');  // restored: the first token now runs on
  EXPECT_EQ(NextToken(cursor, savedChar), nullptr);
  EXPECT_EQ(NextToken(cursor, savedChar), nullptr);
}

TEST(TokenizerTest, EmptyAndBlankLinesHaveNoTokens) {
  std::string empty;
  EXPECT_TRUE(Tokens(empty).empty());
  std::string blanks = " \t \t";
  EXPECT_TRUE(Tokens(blanks).empty());
}

}  // namespace
}  // namespace romscope
