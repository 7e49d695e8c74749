// Reading the input file whole.
#pragma once

#include <optional>
#include <string>

namespace relalg {

// The bytes of the file at path; none when it cannot be read as a file: missing, no
// permission, a directory, or a device whose reading fails.
std::optional<std::string> readinput(const char* path);

}  // namespace relalg
