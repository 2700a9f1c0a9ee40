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
    std::string token;
    const CommandLineError error = ParseCommandLine(line.data(), &parsed.options, &token);
    PrintCommandLineError(out, error, token);
    parsed.result = error == CommandLineError::kNone ? 1 : 0;
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

// The tools beyond the report: one a run, values after "=", -diff's two names.
TEST(OptionsTest, ModesValuesAndTheirErrors) {
  struct Row {
    const char* line;
    RunMode mode;
    const char* earlier;
    const char* path;
  };
  const Row good[] = {
      {"romscope -diff old.bin new.bin", RunMode::kDiff, "old.bin", "new.bin"},
      {"romscope a.bin -json old.bin -diff -diff new.bin", RunMode::kDiff, "old.bin", "new.bin"},
      {"romscope -map -sym image.bin", RunMode::kMap, "", "image.bin"},
      {"romscope -flat -fill=0xFf image.bin", RunMode::kFlat, "", "image.bin"},
      {"romscope -srec image.bin", RunMode::kSrec, "", "image.bin"},
      {"romscope -ihex image.bin -ihex", RunMode::kIhex, "", "image.bin"},
      {"romscope -extract=out/dir image.bin", RunMode::kExtract, "", "image.bin"},
  };
  for (const Row& row : good) {
    Parsed parsed = Parse(row.line);
    EXPECT_EQ(parsed.result, 1) << row.line;
    EXPECT_EQ(parsed.out, "") << row.line;
    EXPECT_EQ(parsed.options.mode, row.mode) << row.line;
    EXPECT_EQ(parsed.options.earlierPath, row.earlier) << row.line;
    EXPECT_EQ(parsed.options.inputPath, row.path) << row.line;
  }
  EXPECT_EQ(Parse("romscope -flat -fill=0xFf image.bin").options.fillByte, 0xFF);
  EXPECT_EQ(Parse("romscope -fill=0X7 -flat image.bin").options.fillByte, 0x07);
  EXPECT_EQ(Parse("romscope -extract=out/dir image.bin").options.extractDir, "out/dir");

  const std::pair<const char*, const char*> bad[] = {
      {"romscope -diff new.bin", "Two filenames required: -diff OLD NEW\n"},
      {"romscope -map -srec image.bin",
       "Only one of -diff, -map, -flat, -srec, -ihex, -extract... -srec\n"},
      {"romscope -extract=a -flat image.bin",
       "Only one of -diff, -map, -flat, -srec, -ihex, -extract... -flat\n"},
      {"romscope -flat -fill=0x100 image.bin", "Bad fill byte... -fill=0x100\n"},
      {"romscope -flat -fill=7 image.bin", "Bad fill byte... -fill=7\n"},
      {"romscope -flat -fill=0x image.bin", "Bad fill byte... -fill=0x\n"},
      {"romscope -flat -fill image.bin", "Bad fill byte... -fill\n"},
      {"romscope -extract= image.bin", "Folder required... -extract=\n"},
      {"romscope -extract image.bin", "Folder required... -extract\n"},
      {"romscope -Diff a.bin b.bin", "Unknown option... -Diff\n"},
  };
  for (const auto& [line, message] : bad) {
    Parsed parsed = Parse(line);
    EXPECT_EQ(parsed.result, 0) << line;
    EXPECT_EQ(parsed.out, std::string(message) + kUsageText) << line;
  }
}

TEST(OptionsTest, QuotesDoNotKeepABlankInsideAName) {
  Parsed parsed = Parse("romscope \"my image.bin\"");
  EXPECT_EQ(parsed.options.inputPath, "image.bin\"");
}

}  // namespace
}  // namespace romscope
