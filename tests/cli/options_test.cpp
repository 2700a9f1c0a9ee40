#include "cli/options.h"

#include <gtest/gtest.h>

#include <string>

#include "base/output_sink.h"
#include "support/run_harness.h"

namespace romscope {
namespace {

using testing::kUsageText;

struct Parsed {
  int result;
  RunOptions options;
  std::string out;
};

Parsed Parse(std::string line) {
  Parsed parsed;
  StringSink sink;
  {
    Writer out(sink);
    parsed.result = ParseCommandLine(line.data(), &parsed.options, out);
  }
  parsed.out = sink.text;
  return parsed;
}

TEST(OptionsTest, EveryLongAndShortFormSetsItsFlag) {
  Parsed all = Parse("romscope -data -toc -obj -rec -sym -checkfiles image.bin");
  EXPECT_EQ(all.result, 1);
  EXPECT_EQ(all.out, "");
  const RunOptions& a = all.options;
  EXPECT_TRUE(a.printData && a.printToc && a.printObj && a.printRec && a.printSym && a.checkFiles);
  EXPECT_EQ(a.inputPath, "image.bin");

  Parsed shorts = Parse("romscope -d -t -o -r -c -d image.bin");
  const RunOptions& s = shorts.options;
  EXPECT_EQ(shorts.result, 1);
  EXPECT_TRUE(s.printData && s.printToc && s.printObj && s.printRec && s.checkFiles);
  EXPECT_FALSE(s.printSym);  // "-sym" has no short form
}

TEST(OptionsTest, NoOptionsLeavesEveryFlagClear) {
  Parsed parsed = Parse("romscope image.bin");
  const RunOptions& o = parsed.options;
  EXPECT_EQ(parsed.result, 1);
  EXPECT_FALSE(o.printData || o.printToc || o.printObj || o.printRec || o.printSym || o.checkFiles);
}

TEST(OptionsTest, OnlyExactFormsAreOptions) {
  for (const char* token :
       {"-D", "-Data", "-da", "-dat", "-s", "-symbols", "-", "-checkfile", "-TOC", "--toc"}) {
    Parsed parsed = Parse(std::string("romscope ") + token + " image.bin");
    EXPECT_EQ(parsed.result, 0) << token;
    EXPECT_EQ(parsed.out, std::string("Unknown option... ") + token + "\n" + kUsageText) << token;
  }
}

TEST(OptionsTest, FileNameRequired) {
  for (const char* line : {"romscope", "romscope -t -rec", "romscope\t  "}) {
    Parsed parsed = Parse(line);
    EXPECT_EQ(parsed.result, 0) << line;
    EXPECT_EQ(parsed.out, std::string("Filename required\n") + kUsageText) << line;
  }
}

TEST(OptionsTest, OptionsGoBeforeOrAfterTheNameAndTheLastNameWins) {
  Parsed after = Parse("romscope image.bin -t");
  EXPECT_EQ(after.result, 1);
  EXPECT_TRUE(after.options.printToc);
  EXPECT_EQ(after.options.inputPath, "image.bin");

  Parsed two = Parse("romscope first.bin -r\t\tsecond.bin");
  EXPECT_EQ(two.result, 1);
  EXPECT_EQ(two.out, "");
  EXPECT_EQ(two.options.inputPath, "second.bin");
}

TEST(OptionsTest, UnknownOptionAfterTheNameStillEndsTheRunAndLaterTokensAreNotRead) {
  Parsed parsed = Parse("romscope image.bin -x -y");
  EXPECT_EQ(parsed.result, 0);
  EXPECT_EQ(parsed.out, std::string("Unknown option... -x\n") + kUsageText);
}

TEST(OptionsTest, AProgramNameWithABlankGivesMoreTokens) {
  // Only "my" is dropped: "rom" is a file name, and a later one still wins.
  Parsed name = Parse("my rom -t");
  EXPECT_EQ(name.result, 1);
  EXPECT_EQ(name.options.inputPath, "rom");
  Parsed later = Parse("my rom -t image.bin");
  EXPECT_EQ(later.options.inputPath, "image.bin");
  Parsed option = Parse("my -rom image.bin");
  EXPECT_EQ(option.result, 0);
  EXPECT_EQ(option.out, std::string("Unknown option... -rom\n") + kUsageText);
}

TEST(OptionsTest, QuotesDoNotKeepABlankInsideAName) {
  Parsed parsed = Parse("romscope \"my image.bin\"");
  EXPECT_EQ(parsed.options.inputPath, "image.bin\"");
}

}  // namespace
}  // namespace romscope
