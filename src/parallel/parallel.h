// Work split over two threads: the one place in relalg that starts a thread.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

namespace relalg::parallel {

// How much work (rows or lines, as each caller counts it) pays for a second thread. Tests lower
// it, so that every two-thread path is reached on small tables.
size_t threshold();
void setthreshold(size_t amount);

// Whether work of this amount is split: it reaches the threshold, and the build can start
// threads (a web page built without shared memory cannot).
bool splits(size_t amount);

// Runs both, at once when the amount splits (second on a thread of its own), else first, then
// second; returns once both have ended, and throws then an exception of either, first's first.
void both(size_t amount, const std::function<void()>& first, const std::function<void()>& second);

// A part of the items [0, count).
struct range {
  size_t first = 0;
  size_t last = 0;
  size_t size() const { return last - first; }
};

// The parts [0, count) is worked in: its two halves when count splits, else the whole.
std::vector<range> halves(size_t count);

// Runs work on each part, at once where there are two; the caller merges what the parts made.
void eachrange(const std::vector<range>& parts,
               const std::function<void(size_t part, const range& items)>& work);

// Runs work(item) once for every item, the items dealt out between two threads by their sizes
// when the largest splits.
void dealt(const std::vector<size_t>& sizes, const std::function<void(size_t item)>& work);

// The two ends of a pipeline, which wait for each other: here on this thread while there runs
// on another. When no thread can be had, runs neither and answers false.
bool together(const std::function<void()>& here, const std::function<void()>& there);

}  // namespace relalg::parallel
