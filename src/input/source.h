// The input held in memory, read one character at a time with one character of look-ahead.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace relalg {

// The reading primitives of every reader: read, peek and the end test. A carriage return
// directly before a line feed has been dropped when the source was made, so CR LF files read
// exactly as LF files.
class source {
 public:
  // Marks the end of the text for peek; equals no character.
  static constexpr int end = -1;

  explicit source(std::string text);

  // The next character, not taken; end when the text is exhausted.
  int peek() const { return pos < text.size() ? static_cast<unsigned char>(text[pos]) : end; }
  // Takes the next character; at the end of the text takes nothing and answers false.
  bool read(char& c);
  // Takes the next character, whatever it is; nothing at the end of the text.
  void skip() {
    if (pos < text.size()) ++pos;
  }
  bool atend() const { return pos >= text.size(); }

  // Takes every character up to the first stop (not taken) or the end of the text.
  std::string_view takeuntil(char stop);
  // Scanning for the end of a value is the hot loop of reading large tables: kept inline.
  std::string_view takeuntil(char stop, char otherstop) {
    const size_t start = pos;
    while (pos < text.size() && text[pos] != stop && text[pos] != otherstop) ++pos;
    return text.substr(start, pos - start);
  }
  std::string_view takeuntil(char stop, char otherstop, char thirdstop, char fourthstop);
  // The lines from here up to the next empty line or the end: as many as the rows of a table
  // whose rows start here, or more, and where the last of them ends. None when an empty line
  // starts here.
  struct linespan {
    size_t lines;
    size_t end;
  };
  linespan linesuntilempty() const;
  // The same text read from one position up to another, where it ends as if nothing followed.
  source part(size_t from, size_t to) const;

  // Continues reading at that position (not past the end).
  void moveto(size_t position) { pos = std::min(position, text.size()); }

  size_t position() const { return pos; }
  // The text from here to the end.
  std::string_view rest() const { return text.substr(pos); }
  // The text taken since a position.
  std::string_view since(size_t start) const { return text.substr(start, pos - start); }

  // The bytes of the text, shared: the text values read stay views of them.
  const std::shared_ptr<const std::string>& bytes() const { return held; }

 private:
  std::shared_ptr<const std::string> held;
  std::string_view text;
  size_t pos = 0;
};

}  // namespace relalg
