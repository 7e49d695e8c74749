// Writing the output file whole or not at all.
#pragma once

#include <functional>
#include <ostream>
#include <string>

namespace relalg {

// Lets write fill the output file at path. A regular file, or a path where there is none yet,
// is written into a temporary file in the same folder and replaced by it only once every
// byte is written and closed: on any failure the path keeps what it held. A symbolic link is
// kept and the file it names replaced, with that file's owner and permission bits. Anything
// else (a terminal, a pipe, a device) is written directly, and so is a file in a folder that
// takes no temporary file or whose owner cannot be kept: before such a file is opened, and cut,
// prepare is called, so that what may fail can fail first. Answers the system's error number of
// the first failure, or 0: also when the output could not be opened at all, and nothing was
// written.
int writewhole(const std::string& path, const std::function<void()>& prepare,
               const std::function<void(std::ostream&)>& write);

}  // namespace relalg
