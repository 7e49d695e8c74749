// A test runner of the SQL translation: sqlrunner [--sql-tables=no] [--dialect=NAME] INPUT
// writes the script of INPUT to standard output.
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "explain/sql.h"

int main(int argc, char** argv) {
  relalg::sqloptions options;
  std::string input;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--sql-tables=no") {
      options.tables = false;
    } else if (arg.rfind("--dialect=", 0) == 0) {
      const auto dialect = relalg::sqldialectnamed(arg.substr(10));
      if (!dialect) {
        std::cerr << "unknown dialect: " << arg << "\n";
        return 2;
      }
      options.dialect = *dialect;
    } else {
      input = arg;
    }
  }
  std::ifstream in(input, std::ios::binary);
  if (!in) {
    std::cerr << "cannot open " << input << "\n";
    return 2;
  }
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::cout << relalg::sqlscript(std::move(bytes), options);
  return 0;
}
