// The entry point of relalg-explain [--json | --latex | --sql ...] [--rows N] [--fail-on-notes]
// INPUT: the explanation, or the SQL script, on standard output; exit status 0, 1 when the
// input cannot be read or the explanation not made (or holds a note, with --fail-on-notes), 2
// for a wrong command line.
#include <iostream>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>

#include "explain/everynote.h"
#include "explain/explain.h"
#include "explain/jsonrender.h"
#include "explain/notation.h"
#include "explain/options.h"
#include "explain/sql.h"
#include "explain/textrender.h"
#include "input/inputfile.h"

namespace {

std::string rendered(const relalg::explanation& e, relalg::outputform form) {
  switch (form) {
    case relalg::outputform::json:
      return relalg::renderjson(e);
    case relalg::outputform::latex:
      return "% \\text needs \\usepackage{amsmath}; in inline math a long formula may break "
             "at \\allowbreak\n" +
             relalg::latex(e) + "\n";
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
  std::optional<std::string> input = relalg::readfile(o.input.c_str(), &error);
  if (!input) {
    std::cerr << "relalg-explain: cannot read " << o.input << ": " << error << "\n";
    return 1;
  }
  bool noted = false;
  try {
    if (o.form == relalg::outputform::sql) {
      std::cout << relalg::sqlscript(std::move(*input), o.sql);
    } else {
      const relalg::explanation e = relalg::explain(std::move(*input), o.rows);
      std::cout << rendered(e, o.form);
      noted = !relalg::everynote(e).empty();
    }
  } catch (const std::bad_alloc&) {
    std::cerr << "relalg-explain: out of memory\n";
    return 1;
  } catch (const std::length_error& toolarge) {
    std::cerr << "relalg-explain: " << toolarge.what() << "\n";
    return 1;
  }
  std::cout.flush();
  return std::cout && !(o.failonnotes && noted) ? 0 : 1;
}
