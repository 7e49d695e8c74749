// The rules of relalg's reader that an import keeps, checked against relalg by the tests.
#include "import/relalgrules.h"

#include "model/textint.h"

namespace relalgimport {

bool readsasint(std::string_view text) {
  // Read as the reader reads it, and printed back as the output prints it.
  relalg::intbuffer printed;
  return relalg::inttotext(relalg::readint(text).number, printed) == text;
}

std::string_view nameflaw(std::string_view name) {
  if (name.empty()) return "is empty";
  for (const char c : name) {
    switch (c) {
      case ' ':
        return "holds a blank";
      case '\t':
        return "holds a tab";
      case '(':
        return "holds a \"(\"";
      case ')':
        return "holds a \")\"";
      case ',':
        return "holds a comma";
      case '\n':
        return "holds a line feed";
      case '\r':
        return "holds a carriage return";
      case '\'':
        return "holds a single quote";
      case '\0':
        return "holds a NUL byte";
      default:
        break;
    }
  }
  return {};
}

std::string_view valueflaw(char c) {
  switch (c) {
    case '\'':
      return "holds a single quote, which relalg reads as the end of the text (--quote CHAR "
             "writes CHAR in its place)";
    case '\n':
      return "holds a line feed, which would end the row";
    case '\r':
      return "holds a carriage return, a line break that a row cannot hold";
    default:
      return "holds a NUL byte, which has no place in a text file";
  }
}

}  // namespace relalgimport
