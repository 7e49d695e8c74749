// Starting the second thread, carrying its exception back, and working on one where none starts.
#include "parallel/parallel.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <system_error>
#include <thread>

namespace relalg::parallel {

namespace {

// A web page built without shared memory has no threads: starting one would end the program.
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
constexpr bool threadsavailable = false;
#else
constexpr bool threadsavailable = true;
#endif

// Below some sixty thousand rows a thread costs more than it saves.
std::atomic<size_t> splitfrom{size_t{1} << 16};

// Runs here on this thread and there on another at once; false, having run neither, when no
// thread can be had. An exception of either is thrown once both have ended, here's first.
bool attempt(const std::function<void()>& here, const std::function<void()>& there) {
  if (!threadsavailable) return false;
  std::exception_ptr failed;
  std::thread worker;
  try {
    worker = std::thread([&] {
      try {
        there();
      } catch (...) {
        failed = std::current_exception();
      }
    });
  } catch (const std::system_error&) {
    return false;
  }
  try {
    here();
  } catch (...) {
    worker.join();  // there still reads what here's caller holds
    throw;
  }
  worker.join();
  if (failed) std::rethrow_exception(failed);
  return true;
}

}  // namespace

size_t threshold() { return splitfrom.load(std::memory_order_relaxed); }

void setthreshold(size_t amount) { splitfrom.store(amount, std::memory_order_relaxed); }

bool splits(size_t amount) { return threadsavailable && amount >= threshold(); }

void both(size_t amount, const std::function<void()>& first, const std::function<void()>& second) {
  if (splits(amount) && attempt(first, second)) return;
  first();
  second();
}

std::vector<range> halves(size_t count) {
  if (!splits(count) || count < 2) return {{0, count}};
  return {{0, count / 2}, {count / 2, count}};
}

void eachrange(const std::vector<range>& parts,
               const std::function<void(size_t part, const range& items)>& work) {
  if (parts.size() == 2) {
    both(
        threshold(), [&] { work(0, parts[0]); }, [&] { work(1, parts[1]); });
    return;
  }
  for (size_t part = 0; part < parts.size(); ++part) work(part, parts[part]);
}

void dealt(const std::vector<size_t>& sizes, const std::function<void(size_t item)>& work) {
  const size_t largest = sizes.empty() ? 0 : *std::max_element(sizes.begin(), sizes.end());
  if (sizes.size() < 2 || !splits(largest)) {
    for (size_t item = 0; item < sizes.size(); ++item) work(item);
    return;
  }
  // Each item goes to the side that has less so far.
  std::vector<size_t> here;
  std::vector<size_t> there;
  size_t herework = 0;
  size_t therework = 0;
  for (size_t item = 0; item < sizes.size(); ++item) {
    if (herework <= therework) {
      here.push_back(item);
      herework += sizes[item];
    } else {
      there.push_back(item);
      therework += sizes[item];
    }
  }
  const auto runall = [&](const std::vector<size_t>& items) {
    for (const size_t item : items) work(item);
  };
  both(
      largest, [&] { runall(here); }, [&] { runall(there); });
}

bool together(const std::function<void()>& here, const std::function<void()>& there) {
  return attempt(here, there);
}

}  // namespace relalg::parallel
