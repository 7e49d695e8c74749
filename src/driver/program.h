// The whole program: the command line, reading, evaluation, writing, and their failures.
#pragma once

namespace relalg {

// Runs relalg INPUT OUTPUT and answers the exit status: 0, or 1 when the output could not be
// written or the query's result does not fit in memory.
int program(int argc, const char* const* argv);

}  // namespace relalg
