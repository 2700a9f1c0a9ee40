// Whole runs through the driver: every way a run ends, and its exit status.
#include <gtest/gtest.h>

#include <regex>

#include "support/demo_image.h"
#include "support/run_harness.h"

namespace romscope::testing {
namespace {

Bytes EmptyImage() {
  return BinBuilder().Header(0x80000000, 0x1000).Build();
}

TEST(RunTest, UsageErrorsPrintNoBannerAndExitWithTwo) {
  RunResult none = RunOnImage("romscope", EmptyImage());
  EXPECT_EQ(none.out, std::string("Filename required\n") + kUsageText);
  EXPECT_EQ(none.err, "");
  EXPECT_EQ(none.status, 2);

  RunResult unknown = RunOnImage("romscope -q image.bin", EmptyImage());
  EXPECT_EQ(unknown.out, std::string("Unknown option... -q\n") + kUsageText);
  EXPECT_EQ(unknown.status, 2);
}

TEST(RunTest, MissingFileSaysWhyOnStandardError) {
  RunResult result = RunOnImage("romscope -rec missing.bin", EmptyImage());
  EXPECT_EQ(result.out, "RomScope... missing.bin\nError opening missing.bin\n");
  EXPECT_EQ(result.err, "romscope: cannot open 'missing.bin': No such file or directory\n");
  EXPECT_EQ(result.status, 1);
}

TEST(RunTest, FileTooShortForTheSignature) {
  for (size_t size : {0, 1, 6}) {
    RunResult result = RunOnImage("romscope image.bin", BytesOf(std::string("B000FF\n", size)));
    EXPECT_EQ(result.out, Banner() + "Error reading image.bin (1111)\n") << size;
    EXPECT_EQ(result.status, 1);
  }
}

TEST(RunTest, FailedSignatureReadIsAReadingError) {
  FakeHost host;
  host.files["image.bin"] = EmptyImage();
  host.failFrom["image.bin"] = 3;
  RunResult result = RunWithHost("romscope image.bin", host);
  EXPECT_EQ(result.out, Banner() + "Error reading image.bin (1111)\n");
  EXPECT_EQ(result.status, 1);
}

TEST(RunTest, WrongSignatureIsNoBinFile) {
  // "B000FF" written with the letter O is exactly what the file must not hold.
  Bytes image = EmptyImage();
  image[1] = 'O';
  RunResult result = RunOnImage("romscope -rec image.bin", image);
  EXPECT_EQ(result.out, Banner() + "Missing initial signature (BOOOFF\n). Not a BIN file\n");
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.status, 1);
}

// Every mode that tells of an image it cannot use on standard error words
// it alike, with the image's path.
TEST(RunTest, EveryModeWordsAFileThatIsNotABinFileAlike) {
  const struct {
    Bytes image;
    const char* line;
  } files[] = {
      {BytesOf("S00F000068656C6C6F20202020200000"),
       "romscope: image.bin: not a BIN file (it does not start with its signature)\n"},
      {BytesOf("B00"),
       "romscope: image.bin: not a BIN file (too short for its signature, or "
       "unreadable)\n"},
  };
  const struct {
    const char* options;
    int status;
  } modes[] = {{"-map", 1},
               {"-flat", 1},
               {"-srec", 1},
               {"-ihex", 1},
               {"-extract=out", 1},
               {"-diff image.bin", 2},
               {"-diff -json image.bin", 2}};
  for (const auto& file : files) {
    for (const auto& mode : modes) {
      FakeHost host;
      host.files["image.bin"] = file.image;
      const RunResult run =
          RunWithHost(std::string("romscope ") + mode.options + " image.bin", host);
      EXPECT_EQ(run.err, file.line) << mode.options;
      EXPECT_EQ(run.status, mode.status) << mode.options;
    }
  }
}

TEST(RunTest, SignatureWithoutStartOrLengthPrintsOnlyTheBanner) {
  for (size_t size = 7; size <= 14; ++size) {
    RunResult result = RunOnImage("romscope image.bin", BinBuilder().BuildTruncated(size));
    EXPECT_EQ(result.out, Banner()) << size;
    EXPECT_EQ(result.err,
              "romscope: image.bin: the BIN header is truncated (no image start and "
              "length)\n")
        << size;
    EXPECT_EQ(result.status, 1) << size;
  }
}

TEST(RunTest, HeaderAloneIsACompleteRun) {
  RunResult result = RunOnImage("romscope -rec -data -toc -obj -sym -c image.bin", EmptyImage());
  EXPECT_EQ(result.out, Banner() + "Image Start = 0x80000000, length = 0x00001000\nDone.\n");
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.status, 0);
}

TEST(RunTest, DebugBreakComesFirstWhenTheVariableExistsInAnyCase) {
  FakeHost host;
  host.files["image.bin"] = EmptyImage();
  RunResult plain = RunWithHost("romscope image.bin", host);
  EXPECT_EQ(host.breaks, 0);

  host.environment = {"D_BREAK"};
  RunResult withBreak = RunWithHost("romscope image.bin", host);
  EXPECT_EQ(host.breaks, 1);
  EXPECT_EQ(withBreak.out, plain.out);
  EXPECT_EQ(withBreak.status, 0);

  // Before the command line is looked at: a usage error still breaks first.
  RunWithHost("romscope", host);
  EXPECT_EQ(host.breaks, 2);
}

TEST(RunTest, SymAndCheckfilesAloneAddNothing) {
  Bytes image = BinBuilder().Header(0, 0).Record(0x1000, "abcd").Terminator(0x1000).Build();
  RunResult plain = RunOnImage("romscope image.bin", image);
  RunResult flags = RunOnImage("romscope -sym -checkfiles image.bin", image);
  EXPECT_EQ(plain.out, Banner() + "Image Start = 0x00000000, length = 0x00000000\n" +
                           "\t\tStart address = 0x00001000\nDone.\n");
  EXPECT_EQ(flags.out, plain.out);
}

// The record listing, the dump and the symbol lines are filled in place in
// the writer's buffer: their text must not depend on its capacity, even one
// smaller than a single line.
TEST(RunTest, OutputDoesNotDependOnTheWriterCapacity) {
  FakeHost host;
  host.files["image.bin"] = DemoImage();
  const std::string line = "romscope -rec -data -obj -sym -c image.bin";
  const RunResult wide = RunWithHost(line, host, Writer::kDefaultCapacity);
  ASSERT_EQ(wide.status, 0);
  ASSERT_NE(wide.out.find("Record [  0] : Start = 0x"), std::string::npos);
  ASSERT_NE(wide.out.find(" Chksum valid\n"), std::string::npos);
  ASSERT_NE(wide.out.find(" : KernelEntry\n"), std::string::npos);
  for (size_t capacity : {0, 1, 2, 31, 32, 33, 67, 68, 69, 95, 96, 97, 137, 4096}) {
    const RunResult narrow = RunWithHost(line, host, capacity);
    EXPECT_EQ(narrow.status, 0) << capacity;
    EXPECT_EQ(narrow.err, wide.err) << capacity;
    ExpectSameText(narrow.out, wide.out);
  }
}

class FailingSink : public OutputSink {
 public:
  bool Write(const char*, size_t) override { return false; }
  std::string ErrorText() const override { return "No space left on device"; }
};

TEST(RunTest, FailedStandardOutputIsReportedAndFailsTheRun) {
  for (const char* commandLine : {"romscope image.bin", "romscope -json image.bin"}) {
    FakeHost host;
    host.files["image.bin"] = EmptyImage();
    FailingSink outSink;
    StringSink errSink;
    Writer out(outSink);
    Diagnostics diag(out, errSink);
    EXPECT_EQ(RunRomscope(commandLine, host, out, diag), 1);
    EXPECT_EQ(errSink.text, "romscope: error writing standard output: No space left on device\n");
  }
}

TEST(RunTest, HelpAndVersionWhereverTheyStand) {
  const std::string help = std::string(kUsageText) +
                           "  -c[heckfiles] Warns of each file whose data is not inside one "
                           "record\r\n"
                           "  -json       Prints everything as one JSON document (see "
                           "romscope(1))\r\n"
                           "  -diff OLD NEW  Prints what changed from image OLD to image NEW\r\n"
                           "  -map        Prints an SVG picture of the image's address space\r\n"
                           "  -flat       Writes the memory image, from its start, to standard "
                           "output\r\n"
                           "  -fill=0xHH  The byte -flat writes where no record lies (0x00)\r\n"
                           "  -srec       Writes the memory image as Motorola S-records\r\n"
                           "  -ihex       Writes the memory image as Intel HEX\r\n"
                           "  -extract=DIR  Writes every file and module section into folder "
                           "DIR\r\n";
  for (const char* commandLine : {"romscope --help", "romscope -t image.bin --help -q"}) {
    RunResult result = RunOnImage(commandLine, EmptyImage());
    EXPECT_EQ(result.out, help) << commandLine;
    EXPECT_EQ(result.status, 0);
  }
  RunResult version = RunOnImage("romscope -json --version --help", EmptyImage());
  EXPECT_TRUE(std::regex_match(version.out, std::regex("romscope [0-9]+\\.[0-9]+\\.[0-9]+\n")))
      << version.out;
  EXPECT_EQ(version.status, 0);
  // An unknown option before them is a command-line error as ever.
  EXPECT_EQ(RunOnImage("romscope -x --help", EmptyImage()).status, 2);
}

TEST(RunTest, JsonRunsThatCannotInspectTheFile) {
  // Command-line errors: the usage text, never a document.
  RunResult unknown = RunOnImage("romscope -json -Json image.bin", EmptyImage());
  EXPECT_EQ(unknown.out, std::string("Unknown option... -Json\n") + kUsageText);
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(RunOnImage("romscope -json", EmptyImage()).out,
            std::string("Filename required\n") + kUsageText);

  // An input that cannot be used: still a whole document, with its error.
  const std::string empty = R"("image":null,"records":[],"problems":[],"tocs":[],)";
  RunResult missing = RunOnImage("romscope -json missing.bin", EmptyImage());
  EXPECT_EQ(missing.out, R"({"format":"romscope-json","version":1,"file":"missing.bin",)" + empty +
                             R"("error":{"kind":"openFailed","text":"Error opening missing.bin",)"
                             R"("reason":"No such file or directory"}})"
                             "\n");
  EXPECT_EQ(missing.err, "romscope: cannot open 'missing.bin': No such file or directory\n");
  EXPECT_EQ(missing.status, 1);
  Bytes notBin = EmptyImage();
  notBin[1] = 'O';
  RunResult wrong = RunOnImage("romscope -json image.bin", notBin);
  EXPECT_EQ(wrong.out, R"({"format":"romscope-json","version":1,"file":"image.bin",)" + empty +
                           R"("error":{"kind":"signatureMismatch",)"
                           R"("text":"Missing initial signature (BOOOFF\n). Not a BIN file"}})"
                           "\n");
  EXPECT_EQ(wrong.status, 1);

  // The path is kept as it is when it is UTF-8, a character ending right at
  // its end included, and otherwise shown byte by byte.
  const std::pair<const char*, const char*> paths[] = {
      {"caf\xC3\xA9", "caf\xC3\xA9"},                 // e acute, the last two bytes
      {"\xE2\x82\xAC", "\xE2\x82\xAC"},               // the euro sign, nothing else
      {"caf\xC3", "caf\xC3\x83"},                     // a lead byte alone: A tilde
      {"\xF0\x9F\x98", "\xC3\xB0\xC2\x9F\xC2\x98"}};  // a character cut short
  for (const auto& [path, shown] : paths) {
    const RunResult run = RunOnImage(std::string("romscope -json ") + path, EmptyImage());
    EXPECT_EQ(run.out.substr(0, run.out.find(",\"image\"")),
              std::string(R"({"format":"romscope-json","version":1,"file":")") + shown + "\"")
        << path;
  }
}

}  // namespace
}  // namespace romscope::testing
