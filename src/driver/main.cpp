// The entry point: relalg INPUT OUTPUT. The exit status is 0 on every path.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

#include "driver/run.h"

namespace {

// The whole input file, or false when it cannot be read as a file.
bool readfile(const char* path, std::string& text) {
  std::FILE* file = std::fopen(path, "rb");
  if (!file) return false;
  // Read straight into a text sized from the file's length; a file that grows meanwhile
  // (or reports no length) is read on in pieces.
  if (std::fseek(file, 0, SEEK_END) == 0) {
    const long length = std::ftell(file);
    std::rewind(file);
    if (length > 0) {
      text.resize(static_cast<size_t>(length));
      text.resize(std::fread(text.data(), 1, text.size(), file));
    }
  }
  char buffer[1 << 16];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
  // A directory opens but fails its first read.
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  return !failed;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cout << "Nem megfelelo szamu parameter !" << std::endl;
    return 0;
  }
  std::string input;
  if (!readfile(argv[1], input)) {
    std::cout << "Hibas parameter vagy valamely mas oknal fogva nem nyithato mega fajl"
              << std::endl;
    return 0;
  }
  // The input is read whole before the output is opened, so both may be the same file.
  const relalg::evaluated run = relalg::evaluateinput(std::move(input));
  std::ofstream op(argv[2], std::ios::binary);
  if (!op) return 0;  // an output that cannot be opened gets nothing, silently
  relalg::writeoutput(run, op);
  return 0;
}
