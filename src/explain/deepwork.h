// Work that recurses once per level of the query's nesting, run on a stack sized for it.
#pragma once

#include <functional>

#include "explain/explanation.h"

namespace relalg {

// Runs the work on a stack deep enough for the explained query; an exception it throws (out
// of memory, above all) is carried back and thrown again here.
void ondeepstack(const explanation& e, const std::function<void()>& work);

}  // namespace relalg
