// Keeping the blocks that texts refer to, and copying added texts into blocks of one's own.
#include "model/textstore.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace relalg {

namespace {

// Own blocks start small, for the many small tables an evaluation builds, and grow.
constexpr size_t firstblock = 256;
constexpr size_t largestblock = size_t{1} << 20;

}  // namespace

void textstore::keep(const std::shared_ptr<const std::string>& block) {
  // A column refers to few blocks, and most often to the last one it took.
  if (!blocks.empty() && blocks.back() == block) return;
  if (std::find(blocks.begin(), blocks.end(), block) == blocks.end()) blocks.push_back(block);
}

void textstore::keepall(const textstore& other) {
  for (const auto& block : other.blocks) keep(block);
}

textref textstore::store(std::string_view text) {
  if (text.empty()) return textref();
  if (text.size() >= textref::longtext) {
    // A block of its own: the text's length, then its bytes.
    auto record = std::make_shared<std::string>(sizeof(uint64_t) + text.size(), '\0');
    const uint64_t length = text.size();
    std::memcpy(record->data(), &length, sizeof length);
    std::memcpy(record->data() + sizeof length, text.data(), text.size());
    blocks.push_back(record);
    return textref::record(record->data());
  }
  if (!current || current->capacity() - current->size() < text.size()) {
    const size_t grown = current ? std::min(current->capacity() * 2, largestblock) : firstblock;
    current = std::make_shared<std::string>();
    current->reserve(std::max(grown, text.size()));
    blocks.push_back(current);
  }
  const size_t at = current->size();
  current->append(text);
  return textref::shorttext(current->data() + at, text.size());
}

}  // namespace relalg
