// The entry point of relalg-import: CSV files or an SQLite database's tables as relalg's input
// on standard output; exit status 0, 1 when a file cannot be read or holds what the input
// cannot, 2 for a wrong command line.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "import/csvtables.h"
#include "import/importedtable.h"
#include "import/inputwriter.h"
#include "import/sqlitetables.h"

namespace {

using namespace relalgimport;

const char* const usage =
    "usage: relalg-import [--query Q] [--null TEXT] [--quote CHAR] FILE.csv...\n"
    "       relalg-import [--query Q] [--null TEXT] [--quote CHAR] DATABASE [TABLE...]\n";

struct commandline {
  std::optional<std::string> query;
  importoptions options;
  std::vector<std::string> files;  // a database's table names after it
  bool help = false;
};

// A wrong command line, said with the usage.
struct usageerror {
  std::string reason;
};

bool linebreak(std::string_view text) { return text.find_first_of("\n\r") != text.npos; }

// One character: one byte, or the bytes of one UTF-8 sequence.
bool onecharacter(std::string_view text) {
  if (text.empty()) return false;
  const auto lead = static_cast<unsigned char>(text[0]);
  const size_t length = lead < 0x80    ? 1
                        : lead >= 0xf0 ? 4
                        : lead >= 0xe0 ? 3
                        : lead >= 0xc0 ? 2
                                       : 0;
  if (text.size() != length) return text.size() == 1;
  for (size_t i = 1; i < length; ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xc0) != 0x80) return false;
  }
  return true;
}

commandline parse(int argc, char** argv) {
  commandline c;
  bool options = true;
  for (int i = 1; i < argc; ++i) {
    const std::string_view word = argv[i];
    if (!options || word.size() < 2 || word[0] != '-') {
      c.files.emplace_back(word);
      continue;
    }
    if (word == "--") {
      options = false;
      continue;
    }
    if (word == "--help") {
      c.help = true;
      continue;
    }
    const size_t equals = word.find('=');
    const std::string_view option = word.substr(0, equals);
    std::optional<std::string>* target = option == "--query"   ? &c.query
                                         : option == "--null"  ? &c.options.null
                                         : option == "--quote" ? &c.options.quote
                                                               : nullptr;
    if (!target) throw usageerror{"unknown option " + std::string(word)};
    if (*target) throw usageerror{std::string(option) + " given twice"};
    if (equals != word.npos) {
      *target = std::string(word.substr(equals + 1));
    } else if (i + 1 < argc) {
      *target = argv[++i];
    } else {
      throw usageerror{std::string(option) + " wants a value"};
    }
  }
  if (c.help) return c;
  if (c.files.empty()) throw usageerror{"no input file"};
  if (c.query && linebreak(*c.query)) throw usageerror{"--query wants a query on one line"};
  if (c.options.null &&
      (linebreak(*c.options.null) || c.options.null->find('\'') != std::string::npos)) {
    throw usageerror{"--null wants a text without single quotes or line breaks"};
  }
  if (c.options.quote &&
      (!onecharacter(*c.options.quote) || *c.options.quote == "'" || linebreak(*c.options.quote))) {
    throw usageerror{"--quote wants one character, not a single quote or a line break"};
  }
  return c;
}

struct closefile {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using file = std::unique_ptr<std::FILE, closefile>;

[[noreturn]] void unreadable(const std::string& path) {
  throw refusal("cannot read " + path + ": " + std::strerror(errno));
}

file open(const std::string& path) {
  file f(std::fopen(path.c_str(), "rb"));
  if (!f) unreadable(path);
  return f;
}

// Whether the file opens with SQLite's 16 bytes.
bool issqlite(const std::string& path) {
  const file f = open(path);
  char head[sizeof sqliteheader];
  const size_t got = std::fread(head, 1, sizeof head, f.get());
  if (std::ferror(f.get())) unreadable(path);
  return got == sizeof head && std::memcmp(head, sqliteheader, sizeof head) == 0;
}

importedtable readcsvfile(const std::string& path, const importoptions& options) {
  const file f = open(path);
  csvreader reader(std::filesystem::path(path).stem().string(), path, options);
  // The values take about the file's bytes: room made once, not grown by copying.
  std::error_code unknown;
  const std::uintmax_t size = std::filesystem::file_size(path, unknown);
  if (!unknown) reader.reserve(size);
  std::vector<char> piece(size_t{1} << 20);
  for (;;) {
    const size_t got = std::fread(piece.data(), 1, piece.size(), f.get());
    if (std::ferror(f.get())) unreadable(path);
    reader.feed(std::string_view(piece.data(), got));
    if (got < piece.size()) break;
  }
  return reader.finish();
}

std::vector<importedtable> readtables(const commandline& c) {
  const std::string& first = c.files.front();
  if (issqlite(first)) {
    const std::vector<std::string> names(c.files.begin() + 1, c.files.end());
    return readsqlite(first, names, c.options);
  }
  for (const std::string& path : c.files) {
    if (path != first && issqlite(path)) {
      throw usageerror{path + " is an SQLite database: it comes first, followed by its tables"};
    }
  }
  std::vector<importedtable> tables;
  for (const std::string& path : c.files) tables.push_back(readcsvfile(path, c.options));
  return tables;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const commandline c = parse(argc, argv);
    if (c.help) {
      std::cout << usage;
      return std::cout.flush() ? 0 : 1;
    }
    const std::vector<importedtable> tables = readtables(c);
    if (tables.empty()) throw refusal(c.files.front() + ": no table to import");
    refuserepeatednames(tables);
    // Written only now that every file is read and every value known to fit: a refusal
    // leaves standard output empty.
    bool written = true;
    writeinput(c.query ? *c.query : tables.front().name, tables, [&](std::string_view piece) {
      written = written && std::fwrite(piece.data(), 1, piece.size(), stdout) == piece.size();
    });
    if (!written || std::fflush(stdout) != 0) {
      std::cerr << "relalg-import: cannot write the output: " << std::strerror(errno) << "\n";
      return 1;
    }
    return 0;
  } catch (const usageerror& wrong) {
    std::cerr << "relalg-import: " << wrong.reason << "\n" << usage;
    return 2;
  } catch (const refusal& refused) {
    std::cerr << "relalg-import: " << refused.what() << "\n";
    return 1;
  } catch (const std::bad_alloc&) {
    std::cerr << "relalg-import: out of memory\n";
    return 1;
  }
}
