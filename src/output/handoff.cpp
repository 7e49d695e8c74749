// The buffers that go round between a printing thread and the writing one.
#include "output/handoff.h"

#include <cassert>
#include <utility>

namespace relalg {

handoff::handoff(size_t buffers, size_t size) : full(buffers) {
  assert(buffers >= 2);  // one being printed into while another waits to be written
  empty.reserve(buffers);
  for (size_t i = 0; i < buffers; ++i) empty.emplace_back(size);
}

std::vector<char> handoff::take() {
  std::unique_lock<std::mutex> lock(guard);
  changed.wait(lock, [&] { return !empty.empty(); });
  std::vector<char> next = std::move(empty.back());
  empty.pop_back();
  return next;
}

std::vector<char> handoff::pass(std::vector<char> done, size_t used, bool last) {
  std::unique_lock<std::mutex> lock(guard);
  // Once stopped, a buffer comes back unwritten, and printing may end at once.
  if (stopped) return done;
  assert(count < full.size());  // every buffer of the set fits in the ring at once
  full[(first + count) % full.size()] = piece{std::move(done), used, last};
  ++count;
  changed.notify_all();
  changed.wait(lock, [&] { return !empty.empty() || stopped; });
  if (!empty.empty()) {
    std::vector<char> next = std::move(empty.back());
    empty.pop_back();
    return next;
  }
  // Stopped while every buffer waited to be written: the last one passed comes back.
  --count;
  return std::move(full[(first + count) % full.size()].bytes);
}

handoff::piece handoff::takefull() {
  std::unique_lock<std::mutex> lock(guard);
  changed.wait(lock, [&] { return count > 0 || stopped; });
  if (count == 0) return piece{{}, 0, true};  // stopped: the range ends with nothing more
  piece next = std::move(full[first]);
  first = (first + 1) % full.size();
  --count;
  return next;
}

void handoff::giveback(std::vector<char> done) {
  if (done.empty()) return;  // the stand-in for a range ended by stopping
  {
    const std::lock_guard<std::mutex> lock(guard);
    empty.push_back(std::move(done));  // within the capacity reserved for the whole set
  }
  changed.notify_all();
}

void handoff::cancel() {
  {
    const std::lock_guard<std::mutex> lock(guard);
    stopped = true;
  }
  changed.notify_all();
}

bool handoff::cancelled() {
  const std::lock_guard<std::mutex> lock(guard);
  return stopped;
}

}  // namespace relalg
