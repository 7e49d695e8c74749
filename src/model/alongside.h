// Two pieces of work at once: one on this thread, one on a thread of its own.
#pragma once

#include <cstddef>
#include <functional>

namespace relalg {

// Whether this build can start threads at all: compiled for a web page without shared
// memory it cannot, and starting one would end the program.
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
constexpr bool threadsavailable = false;
#else
constexpr bool threadsavailable = true;
#endif

// Fewer rows (or lines) than this are worked through on one thread: a thread costs more than
// they take.
constexpr size_t splitfrom = size_t{1} << 16;

// Runs work on a thread of its own while here runs on this one, and returns once both have
// ended; an exception of either is thrown then (that of here first). When no thread can be
// had, work runs after here.
void alongside(const std::function<void()>& here, const std::function<void()>& work);

// alongside when there is much to do; else here, then work, on this thread.
void alongsidewhen(bool many, const std::function<void()>& here, const std::function<void()>& work);

}  // namespace relalg
