// Text at the host's edges: UTF-16 to UTF-8 and back, the Windows command
// line through the same tokenizer as on POSIX, and environment names.
#include "base/text.h"

#include <gtest/gtest.h>

#include "support/run_harness.h"

namespace romscope {
namespace {

TEST(TextTest, Utf16ToUtf8) {
  struct Row {
    std::u16string in;
    std::string out;
  };
  const Row rows[] = {
      {u"", ""},
      {u"-toc image.bin", "-toc image.bin"},
      {u"\u00DCn\u00EFs\u00F8t\u00E9", "\xC3\x9Cn\xC3\xAFs\xC3\xB8t\xC3\xA9"},
      {u"\u20AC\uFFFF", "\xE2\x82\xAC\xEF\xBF\xBF"},
      {u"\U0001D11E!", "\xF0\x9D\x84\x9E!"},          // a surrogate pair
      {u"x\xD834y", "x\xEF\xBF\xBDy"},                // a high surrogate alone
      {u"\xDD1E\xD834", "\xEF\xBF\xBD\xEF\xBF\xBD"},  // a pair in the wrong order
      // U+D800, the first high surrogate, alone on a command line: inside it
      // and at its very end, where no low surrogate can follow.
      {u"-rec \xD800.bin", "-rec \xEF\xBF\xBD.bin"},
      {u"-rec x.bin\xD800", "-rec x.bin\xEF\xBF\xBD"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Utf16ToUtf8(row.in), row.out) << row.out;
    if (row.out.find("\xEF\xBF\xBD") == std::string::npos) {
      EXPECT_EQ(Utf8ToUtf16(row.out), row.in);
    }
  }
}

TEST(TextTest, MalformedUtf8BecomesOneReplacementPerByte) {
  const std::u16string bad(1, u'\uFFFD');
  EXPECT_EQ(Utf8ToUtf16("z\xFFz"), u"z" + bad + u"z");
  EXPECT_EQ(Utf8ToUtf16("\xC0\x80"), bad + bad);            // overlong
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), bad + bad + bad);  // an encoded surrogate
  EXPECT_EQ(Utf8ToUtf16("\xF4\x90\x80\x80").size(), 4u);    // past U+10FFFF
  EXPECT_EQ(Utf8ToUtf16("x\xE2\x82"), u"x" + bad + bad);    // cut short
}

TEST(TextTest, EnvironmentNamesIgnoreLetterCase) {
  EXPECT_TRUE(IsVariableNamed("d_break=", "d_break"));
  EXPECT_TRUE(IsVariableNamed("D_Break=1", "d_break"));
  EXPECT_FALSE(IsVariableNamed("d_breaks=1", "d_break"));
  EXPECT_FALSE(IsVariableNamed("d_brea=k", "d_break"));
  EXPECT_FALSE(IsVariableNamed("d_break", "d_break"));  // no value part at all
  EXPECT_FALSE(IsVariableNamed("=C:=C:\\d_break", "d_break"));
}

// Windows hands over the command line as the user typed it, the program path
// first and perhaps quoted: the tool splits it at blanks like any other line,
// and only the first token is the program's.
TEST(TextTest, WindowsCommandLinesRunLikeTheirUtf8Text) {
  const std::string name = "D\xC3\xA9mo-\xF0\x9D\x84\x9E.bin";
  testing::FakeHost host;
  host.files[name] = testing::BinBuilder()
                         .Header(0x80000000, 0x10)
                         .Record(0x80000000, testing::Bytes{1, 2})
                         .Build();
  const testing::RunResult plain = testing::RunWithHost("romscope -rec " + name, host);
  ASSERT_EQ(plain.status, 0);

  const std::string fromWindows =
      Utf16ToUtf8(u"\"C:\\Program Files\\rom scope\\romscope.exe\" -rec D\u00E9mo-\U0001D11E.bin");
  EXPECT_EQ(testing::RunWithHost(fromWindows, host).out, plain.out);

  // With no file name, the rest of the program path is taken for one.
  const testing::RunResult noName =
      testing::RunWithHost(Utf16ToUtf8(u"\"C:\\Program Files\\romscope.exe\" -rec"), host);
  EXPECT_EQ(noName.out, "RomScope... Files\\romscope.exe\"\nError opening Files\\romscope.exe\"\n");
  EXPECT_EQ(noName.status, 1);
}

}  // namespace
}  // namespace romscope
