// Running work on a thread with a stack large enough for the deepest query allowed.
#pragma once

#include <cstdint>
#include <functional>

namespace relalg {

// Evaluation recurses once per level of nesting; the default stack of the main thread holds
// far fewer levels than the nesting limit allows. The stack is sized for the given depth. An
// exception the work throws is thrown again here, on the calling thread.
void onlargestack(int64_t depth, const std::function<void()>& work);

}  // namespace relalg
