// A column of signed 32-bit integers.
#pragma once

#include "model/column.h"
#include "model/sharedvalues.h"

namespace relalg {

class intcolumn : public column {
 public:
  sharedvalues<int32_t> values;

  intcolumn() = default;
  intcolumn(const intcolumn& other) = default;

  int width() const override { return 0; }
  std::string typetext() const override { return "int"; }
  std::string printvalue(int32_t row) const override;
  std::string value(int32_t row) const override;
  void addvalue(std::string_view text) override;
  readflags readvalue(source& ip) override;
  int32_t size() const override { return static_cast<int32_t>(values.get().size()); }
  std::shared_ptr<column> clone() const override;
  void eraserow(int32_t row) override;
  int comparerows(int32_t row1, int32_t row2) const override {
    return comparenumbers(at(row1), at(row2));
  }
  void swaprows(int32_t row1, int32_t row2) override;

  void keeprows(const std::vector<int32_t>& rows) override { values.keep(rows); }
  void reserve(int32_t rows) override { values.reserve(rows); }
  std::vector<uint32_t> sortkeys(const std::vector<int32_t>& rows) const override;
  void appendall(const column& other) override;
  void pickrows(const column& first, const column& second,
                const std::vector<int32_t>& picks) override;
  std::string_view valueview(int32_t row, intbuffer& buffer) const override;

  int32_t at(int32_t row) const { return values.get()[static_cast<size_t>(row)]; }

 private:
  // A field that is not an optional "-" and up to nine digits, read as atoi reads it.
  readflags readother(std::string_view field);
};

}  // namespace relalg
