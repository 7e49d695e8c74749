// The whole program, from the command line to the exit status.
#include "driver/program.h"

#include <cstdio>
#include <cstring>
#include <iostream>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "driver/outputfile.h"
#include "driver/run.h"
#include "input/inputfile.h"
#include "output/printbuffer.h"
#include "parallel/parallel.h"

namespace relalg {

namespace {

// Reads, evaluates and writes; memory running out anywhere in these throws.
int runfiles(const char* inputpath, const char* output) {
  std::optional<std::string> text = readfile(inputpath);
  if (!text) {
    std::cout << "Hibas parameter vagy valamely mas oknal fogva nem nyithato mega fajl"
              << std::endl;
    return 0;
  }
  // The input is read whole before the output is opened, so both may be the same file.
  const input in = readinput(std::move(*text));
  std::optional<table> result;
  const auto evaluate = [&] {
    if (!result) result = evaluatequery(in);
  };
  // Into a temporary file the head is written while the query is evaluated; a file written
  // directly is opened only once the evaluation, which may run out of memory, is done.
  const int error = writewhole(output, evaluate, [&](std::ostream& op) {
    printbuffer out(op);  // one buffer, made before the first byte is written
    size_t rows = 0;
    for (const table& t : in.tables) rows += static_cast<size_t>(t.rowcount());
    parallel::both(rows, evaluate, [&] {
      writehead(in, out);
      op.flush();  // the head starts on its way to the disk while the query is evaluated
    });
    writeresult(*result, out);
  });
  evaluate();  // an output that could not be opened is not written, but may not hide a failure
  if (error == 0) return 0;  // also when the output could not be opened: nothing is said
  std::fprintf(stderr, "relalg: cannot write %s: %s\n", output, std::strerror(error));
  return 1;
}

}  // namespace

int program(int argc, const char* const* argv) {
  if (argc != 3) {
    std::cout << "Nem megfelelo szamu parameter !" << std::endl;
    return 0;
  }
  try {
    return runfiles(argv[1], argv[2]);
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  // Said without allocating, since memory has just run out.
  std::fputs("relalg: the query's result does not fit in memory\n", stderr);
  return 1;
}

}  // namespace relalg
