// A column of byte strings, declared char(N); N is recorded and printed, never enforced.
#pragma once

#include "model/column.h"
#include "model/sharedvalues.h"
#include "model/textref.h"

namespace relalg {

// Each value refers to bytes that the column keeps alive in `blocks`: values read from the
// input refer to the input text itself, values added as text are copied into blocks of the
// column's own, and so are very long texts, with their length. Bytes once written never change
// or move, so clones share the blocks; a value costs eight bytes and no copy, which keeps
// large tables within a few times their text.
class charcolumn : public column {
 public:
  int charwidth;
  sharedvalues<textref> values;

  explicit charcolumn(int declaredwidth) : charwidth(declaredwidth) {}
  charcolumn(const charcolumn& other) = default;

  int width() const override { return charwidth; }
  std::string typetext() const override;
  std::string printvalue(int32_t row) const override;
  std::string value(int32_t row) const override { return std::string(at(row)); }
  void addvalue(std::string_view text) override { values.edit().push_back(store(text)); }
  readflags readvalue(source& ip) override;
  int32_t size() const override { return static_cast<int32_t>(values.get().size()); }
  std::shared_ptr<column> clone() const override;
  void eraserow(int32_t row) override;
  // Byte order: string_view compares its characters as unsigned char.
  int comparerows(int32_t row1, int32_t row2) const override { return at(row1).compare(at(row2)); }
  void swaprows(int32_t row1, int32_t row2) override;

  void keeprows(const std::vector<int32_t>& rows) override { values.keep(rows); }
  std::string_view valueview(int32_t row, intbuffer&) const override { return at(row); }
  void reserve(int32_t rows) override { values.reserve(rows); }
  std::vector<uint32_t> sortkeys(const std::vector<int32_t>& rows) const override;
  void appendall(const column& other) override;
  void pickrows(const column& first, const column& second,
                const std::vector<int32_t>& picks) override;

  std::string_view at(int32_t row) const { return values.get()[static_cast<size_t>(row)].view(); }
  // The values, for appending texts shorter than textref::longtext that stand in the input:
  // its bytes are kept alive.
  std::vector<textref>& readinto(const source& ip) {
    keep(ip.bytes());
    return values.edit();
  }

 private:
  std::vector<std::shared_ptr<const std::string>> blocks;
  // The block that added texts are copied into; it is never filled past its capacity, so
  // it never moves.
  std::shared_ptr<std::string> current;

  void keep(const std::shared_ptr<const std::string>& block);
  // A value for the text: its bytes copied into a block of the column's own.
  textref store(std::string_view text);
};

}  // namespace relalg
