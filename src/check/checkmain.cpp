// The entry point of relalg-check [--json] [--strict] [--tables FILE]... [--generate N]
// [--out DIR] ANSWER INPUT...: whether each input's query gives the answer's results, and where
// it does not, the smallest database that shows it. Exit status 0 when every input agrees, 1
// when one differs, 2 for a wrong command line or a file that cannot be read.
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "check/checkrun.h"
#include "input/inputfile.h"

namespace {

const char* const usage =
    "usage: relalg-check [--json] [--strict] [--tables FILE]... [--generate N] [--out DIR] "
    "ANSWER INPUT...\n";

struct commandline {
  bool json = false;
  relalg::checkoptions options;
  std::vector<std::string> tables;
  std::string out;
  std::vector<std::string> files;  // the answer, then the inputs
};

// The options of a command line, or false with the reason.
bool parse(int argc, char** argv, commandline& c, std::string& error) {
  bool options = true;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto value = [&](std::string& into) {
      if (i + 1 >= argc) {
        error = arg + " needs a value";
        return false;
      }
      into = argv[++i];
      return true;
    };
    if (!options || arg.empty() || arg[0] != '-' || arg == "-") {
      c.files.push_back(arg);
    } else if (arg == "--") {
      options = false;
    } else if (arg == "--json") {
      c.json = true;
    } else if (arg == "--strict") {
      c.options.strict = true;
    } else if (arg == "--tables") {
      std::string file;
      if (!value(file)) return false;
      c.tables.push_back(file);
    } else if (arg == "--out") {
      if (!value(c.out)) return false;
    } else if (arg == "--generate") {
      std::string n;
      if (!value(n)) return false;
      char* end = nullptr;
      errno = 0;
      const long count = std::strtol(n.c_str(), &end, 10);
      if (n.empty() || *end != '\0' || errno != 0 || count < 0 || count > 1000000) {
        error = "--generate takes a count from 0 to 1000000, not " + n;
        return false;
      }
      c.options.generate = static_cast<int32_t>(count);
    } else {
      error = "unknown option " + arg;
      return false;
    }
  }
  if (c.files.size() < 2) {
    error = c.files.empty() ? "no answer and no input given" : "no input given to check";
    return false;
  }
  return true;
}

relalg::givenfile read(const std::string& path) {
  relalg::givenfile f{path, std::nullopt, {}};
  f.bytes = relalg::readfile(path.c_str(), &f.unreadable);
  return f;
}

// The counterexample's file name: the input's without its folder and extension.
std::string nameof(const std::string& path) {
  std::string name = path.substr(path.find_last_of('/') + 1);
  const size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name.empty() ? "input" : name;
}

}  // namespace

int main(int argc, char** argv) {
  commandline c;
  std::string error;
  if (!parse(argc, argv, c, error)) {
    std::cerr << "relalg-check: " << error << "\n" << usage;
    return 2;
  }
  int status = 0;
  std::vector<relalg::givenfile> tables;
  for (const std::string& path : c.tables) {
    tables.push_back(read(path));
    if (!tables.back().bytes) {
      std::cerr << "relalg-check: cannot read " << path << ": " << tables.back().unreadable << "\n";
      status = 2;
    }
  }
  std::vector<relalg::givenfile> inputs;
  for (size_t i = 1; i < c.files.size(); ++i) inputs.push_back(read(c.files[i]));
  try {
    std::string refused;
    auto entries = relalg::checkall(read(c.files[0]), tables, inputs, c.options, refused);
    if (!entries) {
      std::cerr << "relalg-check: " << refused << "\n";
      return 2;
    }
    if (!c.out.empty()) ::mkdir(c.out.c_str(), 0777);
    for (relalg::checkentry& e : *entries) {
      if (e.verdict == "error") {
        std::cerr << "relalg-check: " << e.error << "\n";
        status = 2;
        continue;
      }
      if (e.verdict == "differs" && status == 0) status = 1;
      if (e.verdict != "differs" || c.out.empty()) continue;
      const std::string path = c.out + "/" + nameof(e.input) + ".txt";
      std::ofstream file(path, std::ios::binary);
      file << e.counterexample;
      file.close();
      if (file) {
        e.written = path;
      } else {
        std::cerr << "relalg-check: cannot write " << path << "\n";
        status = 2;
      }
    }
    std::cout << (c.json ? relalg::checkjson(c.files[0], *entries)
                         : relalg::checktext(c.files[0], *entries));
  } catch (const std::bad_alloc&) {
    std::cerr << "relalg-check: out of memory\n";
    return 2;
  }
  std::cout.flush();
  return std::cout ? status : 2;
}
