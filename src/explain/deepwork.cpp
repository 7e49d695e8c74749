// Carrying an exception back from the thread of the large stack.
#include "explain/deepwork.h"

#include <algorithm>
#include <exception>

#include "driver/largestack.h"

namespace relalg {

void ondeepstack(const explanation& e, const std::function<void()>& work) {
  std::exception_ptr thrown;
  onlargestack(std::min(e.depth, nesting::maxnesting), [&] {
    try {
      work();
    } catch (...) {
      thrown = std::current_exception();
    }
  });
  if (thrown) std::rethrow_exception(thrown);
}

}  // namespace relalg
