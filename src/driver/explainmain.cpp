// The entry point of relalg-explain [--json | --latex | --sql ...] [--rows N] INPUT: the
// explanation, or the SQL script, on standard output; exit status 0, 1 when the input cannot
// be read or the explanation not made, 2 for a wrong command line.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <new>
#include <stdexcept>
#include <string>

#include "explain/explain.h"
#include "explain/jsonrender.h"
#include "explain/notation.h"
#include "explain/options.h"
#include "explain/sql.h"
#include "explain/textrender.h"

namespace {

// The whole input file, or false with the reason.
bool readinput(const std::string& path, std::string& text, std::string& reason) {
  std::error_code status;
  if (std::filesystem::is_directory(path, status)) {
    reason = "it is a directory";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    reason = std::strerror(errno);
    return false;
  }
  // Sized from the file's length where it has one; a pipe is read on in pieces.
  in.seekg(0, std::ios::end);
  const std::streamoff length = in.tellg();
  in.clear();
  in.seekg(0);
  if (length > 0) {
    text.resize(static_cast<size_t>(length));
    in.read(text.data(), length);
    text.resize(static_cast<size_t>(in.gcount()));
  }
  char piece[1 << 16];
  while (in.read(piece, sizeof piece) || in.gcount() > 0) {
    text.append(piece, static_cast<size_t>(in.gcount()));
  }
  if (in.bad()) {
    reason = "it cannot be read";
    return false;
  }
  return true;
}

std::string rendered(const relalg::explanation& e, relalg::outputform form) {
  switch (form) {
    case relalg::outputform::json:
      return relalg::renderjson(e);
    case relalg::outputform::latex:
      return relalg::latex(e) + "\n";
    case relalg::outputform::text:
    case relalg::outputform::sql:
      break;
  }
  return relalg::rendertext(e);
}

}  // namespace

int main(int argc, char** argv) {
  relalg::options o;
  std::string error;
  if (!relalg::parseoptions(argc, argv, o, error)) {
    std::cerr << "relalg-explain: " << error << "\n" << relalg::usage();
    return 2;
  }
  if (o.help) {
    std::cout << relalg::usage();
    return 0;
  }
  std::string input;
  if (!readinput(o.input, input, error)) {
    std::cerr << "relalg-explain: cannot read " << o.input << ": " << error << "\n";
    return 1;
  }
  try {
    if (o.form == relalg::outputform::sql) {
      std::cout << relalg::sqlscript(std::move(input), o.sql);
    } else {
      std::cout << rendered(relalg::explain(std::move(input), o.rows), o.form);
    }
  } catch (const std::bad_alloc&) {
    std::cerr << "relalg-explain: out of memory\n";
    return 1;
  } catch (const std::length_error& toolarge) {
    std::cerr << "relalg-explain: " << toolarge.what() << "\n";
    return 1;
  }
  std::cout.flush();
  return std::cout ? 0 : 1;
}
