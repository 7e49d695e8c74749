// Buffers of printed bytes passed in order from a printing thread to the writing one.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string_view>
#include <utility>
#include <vector>

namespace relalg {

// A fixed set of buffers, all made at the start, goes round between the two threads: the
// printing one fills a buffer and passes it on, the writing one writes it and gives it back.
// Nothing is allocated once printing starts, so memory cannot run out halfway through.
class handoff {
 public:
  handoff(size_t buffers, size_t size);
  handoff(const handoff&) = delete;
  handoff& operator=(const handoff&) = delete;

  // Printing side: the first buffer to print into, taken before anything is passed.
  std::vector<char> take();
  // Printing side: passes the first used bytes of a full buffer on; last marks the end of a
  // range of rows (even with nothing in it). Answers the next buffer to print into.
  std::vector<char> pass(std::vector<char> full, size_t used, bool last);

  // Writing side: hands each piece of the next range to write, in order, and each buffer
  // back; once stopped, ranges end at once.
  template <typename write>
  void drain(write&& writer) {
    for (bool last = false; !last;) {
      piece next = takefull();
      writer(std::string_view(next.bytes.data(), next.used));
      last = next.last;
      giveback(std::move(next.bytes));
    }
  }
  // Writing side: the printing side stops waiting, and takes nothing more to pass on.
  void cancel();
  bool cancelled();

 private:
  struct piece {
    std::vector<char> bytes;
    size_t used = 0;
    bool last = false;
  };
  std::mutex guard;
  std::condition_variable changed;
  std::vector<std::vector<char>> empty;
  // Full pieces in the order passed: a ring as large as the set, so queueing never allocates.
  std::vector<piece> full;
  size_t first = 0;
  size_t count = 0;
  bool stopped = false;

  // Waits for the oldest full piece and takes it out of the ring.
  piece takefull();
  void giveback(std::vector<char> done);
};

}  // namespace relalg
