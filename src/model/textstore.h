// The bytes a text column's values refer to, kept alive by the column.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/textref.h"

namespace relalg {

// Values read from the input refer to the input text itself; values added as text are copied
// into blocks of the store's own, and so are very long texts, with their length. Bytes once
// written never change or move, so copies of a store share its blocks; each copy copies the
// texts it adds into a block of its own.
class textstore {
 public:
  textstore() = default;
  textstore(const textstore& other) : blocks(other.blocks) {}
  textstore& operator=(const textstore& other) {
    blocks = other.blocks;
    current.reset();
    return *this;
  }
  textstore(textstore&&) = default;
  textstore& operator=(textstore&&) = default;

  // Keeps a block alive: values may refer to its bytes.
  void keep(const std::shared_ptr<const std::string>& block);
  // Keeps every block of another store alive.
  void keepall(const textstore& other);
  // A value for the text: its bytes copied into a block of the store's own.
  textref store(std::string_view text);

 private:
  std::vector<std::shared_ptr<const std::string>> blocks;
  // The block that added texts are copied into; it is never filled past its capacity, so it
  // never moves.
  std::shared_ptr<std::string> current;
};

}  // namespace relalg
