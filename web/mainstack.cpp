// Running work on the calling stack, for the browser's module, which has no threads.
#include "driver/largestack.h"

namespace relalg {

// The module's stack is sized when it is linked to hold the deepest query allowed.
void onlargestack(int64_t, const std::function<void()>& work) { work(); }

}  // namespace relalg
