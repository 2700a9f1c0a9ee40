#include "base/writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/diagnostics.h"

namespace romscope {
namespace {

class RefusingSink : public OutputSink {
 public:
  bool Write(const char* data, size_t size) override {
    ++writes;
    if (writes > acceptWrites) return false;
    text.append(data, size);
    return true;
  }
  std::string ErrorText() const override { return "No space left on device"; }
  int acceptWrites = 0;
  int writes = 0;
  std::string text;
};

TEST(WriterTest, KeepsOrderAcrossFlushesAndOversizedPieces) {
  StringSink sink;
  {
    Writer out(sink, 8);
    out.Put("abc");
    out.Printf("%05d|", 42);        // does not fit behind "abc": flushes first
    out.Put(std::string(20, 'x'));  // larger than the whole buffer
    out.PutChar('!');
    out.Printf("%s", std::string(30, 'y').c_str());  // formatted, larger than the buffer
    char* room = out.Reserve(3);
    room[0] = '1', room[1] = '2', room[2] = '3';
    out.Commit(3);
    room = out.Reserve(20);  // more room than the whole buffer holds
    std::memset(room, 'w', 20);
    out.Commit(20);
    out.Put("z");
  }  // the destructor flushes
  EXPECT_EQ(sink.text, "abc00042|" + std::string(20, 'x') + "!" + std::string(30, 'y') + "123" +
                           std::string(20, 'w') + "z");
}

TEST(WriterTest, AfterAFailedWriteNothingMoreIsSent) {
  RefusingSink sink;
  sink.acceptWrites = 1;
  Writer out(sink, 4);
  out.Put("1234");
  out.Put("5");  // flushes "1234"
  EXPECT_FALSE(out.Failed());
  out.Put("6789");  // the flush of "5" is refused
  EXPECT_TRUE(out.Failed());
  out.Put(std::string(10, 'z'));
  EXPECT_FALSE(out.Flush());
  EXPECT_EQ(sink.text, "1234");
  EXPECT_EQ(sink.writes, 2);
}

TEST(DiagnosticsTest, FlushesStandardOutputFirstAndSaysEachThingOnce) {
  StringSink outSink;
  StringSink errSink;
  Writer out(outSink);
  Diagnostics diag(out, errSink);
  out.Put("before\n");
  diag.Warn("odd %s", "thing");
  EXPECT_EQ(outSink.text, "before\n");
  diag.Warn("odd %s", "thing");
  diag.Warn("other");
  EXPECT_EQ(errSink.text, "romscope: odd thing\nromscope: other\n");
}

}  // namespace
}  // namespace romscope
