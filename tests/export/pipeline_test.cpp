// The pipeline of the conversions: output made in a second thread arrives
// whole and in order, and a sink that fails stops the producer early.
#include "export/pipeline.h"

#include <gtest/gtest.h>

#include <string>

#include "base/output_sink.h"

namespace romscope {
namespace {

// Lines "line N\n", as many as fit `bytes`, through small and large writes.
bool Produce(Writer& out, uint64_t bytes, uint64_t* written) {
  *written = 0;
  for (uint64_t n = 0; *written < bytes && !out.Stopped(); ++n) {
    const std::string line = "line " + std::to_string(n) + "\n";
    if (n % 1000 == 999) {
      const std::string block(70000, static_cast<char>('a' + n % 26));
      out.Put(block);
      *written += block.size();
    }
    out.Put(line);
    *written += line.size();
  }
  return true;
}

TEST(PipelineTest, EverythingArrivesInOrder) {
  constexpr uint64_t kBytes = 40 << 20;
  StringSink direct;
  uint64_t written = 0;
  {
    Writer out(direct);
    Produce(out, kBytes, &written);
  }
  StringSink piped;
  {
    Writer out(piped);
    EXPECT_TRUE(Pipelined(out, kBytes, [&](Writer& w) { return Produce(w, kBytes, &written); }));
  }
  EXPECT_EQ(piped.text.size(), direct.text.size());
  EXPECT_TRUE(piped.text == direct.text);
}

class FailingSink : public OutputSink {
 public:
  bool Write(const char*, size_t size) override {
    taken += size;
    return taken < (4 << 20);
  }
  uint64_t taken = 0;
};

TEST(PipelineTest, AFailedSinkStopsTheProducer) {
  constexpr uint64_t kBytes = uint64_t{1} << 34;  // far more than could be made in a test
  FailingSink sink;
  uint64_t written = 0;
  Writer out(sink);
  EXPECT_TRUE(Pipelined(out, kBytes, [&](Writer& w) { return Produce(w, kBytes, &written); }));
  EXPECT_TRUE(out.Stopped());
  EXPECT_LT(written, uint64_t{64} << 20);
}

}  // namespace
}  // namespace romscope
