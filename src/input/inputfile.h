// Reading an input file whole.
#pragma once

#include <optional>
#include <string>

namespace relalg {

// The bytes of the file at path; none when it cannot be read as a file: missing, no
// permission, a directory, or a device whose reading fails. The reason, when asked for, is
// then said in a few words.
std::optional<std::string> readfile(const char* path, std::string* reason = nullptr);

}  // namespace relalg
