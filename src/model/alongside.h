// Two pieces of work at once: one on this thread, one on a thread of its own.
#pragma once

#include <functional>

namespace relalg {

// Runs work on a thread of its own while here runs on this one, and returns once both have
// ended; an exception of either is thrown then (that of here first). When no thread can be
// had, work runs after here.
void alongside(const std::function<void()>& here, const std::function<void()>& work);

}  // namespace relalg
