// A thread with a large stack, through POSIX threads (std::thread cannot size its stack).
#include "driver/largestack.h"

#include <pthread.h>

#include <algorithm>
#include <cstddef>
#include <exception>

namespace relalg {

namespace {

// Reserved, not committed: only the pages a deep query touches are ever used. A level of
// nesting takes a few hundred bytes of stack, and a few kilobytes in a sanitizer build.
constexpr size_t basestack = size_t{16} << 20;
constexpr size_t stackperlevel = size_t{16} << 10;

// The work and how it ended: an exception may not leave the thread, so it is kept here and
// thrown again on the calling thread.
struct job {
  const std::function<void()>& work;
  std::exception_ptr failure;
};

void* runwork(void* started) {
  job& j = *static_cast<job*>(started);
  try {
    j.work();
  } catch (...) {
    j.failure = std::current_exception();
  }
  return nullptr;
}

}  // namespace

void onlargestack(int64_t depth, const std::function<void()>& work) {
  const size_t stacksize =
      basestack + static_cast<size_t>(std::max<int64_t>(depth, 0)) * stackperlevel;
  pthread_attr_t attributes;
  pthread_t thread;
  job j{work, nullptr};
  bool started = false;
  if (pthread_attr_init(&attributes) == 0) {
    started = pthread_attr_setstacksize(&attributes, stacksize) == 0 &&
              pthread_create(&thread, &attributes, runwork, &j) == 0;
    pthread_attr_destroy(&attributes);
  }
  if (started) {
    pthread_join(thread, nullptr);
    if (j.failure) std::rethrow_exception(j.failure);
  } else {
    work();  // no thread to be had: the main stack still serves every shallow query
  }
}

}  // namespace relalg
