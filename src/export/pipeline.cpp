#include "export/pipeline.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace romscope {
namespace {

// Blocks larger than the writer's own buffer, so that each is handed to the
// sink directly, without a copy; a few of them, so that neither side waits
// for long.
constexpr size_t kBlockSize = size_t{2} << 20;
constexpr size_t kBlocks = 4;

// The producer's sink: each write fills a free block and queues it for the
// consumer, which gives the block back once it is written.
class BlockQueue : public OutputSink {
 public:
  BlockQueue() {
    for (size_t i = 0; i < kBlocks; ++i) {
      free_.emplace_back();
      free_.back().reserve(kBlockSize);
    }
  }

  bool Write(const char* data, size_t size) override {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return !free_.empty() || closed_; });
    if (closed_) return false;
    std::vector<char> block = std::move(free_.back());
    free_.pop_back();
    lock.unlock();
    block.assign(data, data + size);
    lock.lock();
    full_.push_back(std::move(block));
    changed_.notify_all();
    return true;
  }

  // The next block in order; false once the producer is done and every
  // block was taken.
  bool Take(std::vector<char>* block) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return !full_.empty() || done_; });
    if (full_.empty()) return false;
    *block = std::move(full_.front());
    full_.pop_front();
    return true;
  }

  void Give(std::vector<char> block) {
    Change([&] { free_.push_back(std::move(block)); });
  }
  void Done() {
    Change([&] { done_ = true; });
  }
  // The consumer can write no more: the producer's writes fail from now on.
  void Close() {
    Change([&] { closed_ = true; });
  }

 private:
  template <typename F>
  void Change(F change) {
    std::lock_guard<std::mutex> lock(mutex_);
    change();
    changed_.notify_all();
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::vector<char>> free_;
  std::deque<std::vector<char>> full_;
  bool done_ = false;
  bool closed_ = false;
};

}  // namespace

bool Pipelined(Writer& out, uint64_t expected, const std::function<bool(Writer&)>& produce) {
  if (expected < kBlocks * kBlockSize) return produce(out);
  BlockQueue queue;
  bool result = false;
  std::thread producer;
  try {
    producer = std::thread([&] {
      {
        Writer writer(queue, kBlockSize - 1);
        result = produce(writer);
      }
      queue.Done();
    });
  } catch (const std::system_error&) {
    return produce(out);
  }
  std::vector<char> block;
  while (queue.Take(&block)) {
    if (!out.Stopped()) out.Put(block.data(), block.size());
    if (out.Stopped()) queue.Close();
    queue.Give(std::move(block));
  }
  producer.join();
  return result;
}

}  // namespace romscope
