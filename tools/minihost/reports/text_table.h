// TextTable: rows of text printed in aligned columns.
#ifndef CVL_TOOLS_MINIHOST_REPORTS_TEXT_TABLE_H
#define CVL_TOOLS_MINIHOST_REPORTS_TEXT_TABLE_H

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace cvl::minihost {

class TextTable {
 public:
  enum class Align { Left, Right };
  struct Column {
    std::string heading;
    Align align = Align::Left;
  };

  explicit TextTable(std::vector<Column> columns) : columns_(std::move(columns)) {}

  // Adds a row; missing cells are blank, cells past the last column are dropped.
  void addRow(std::vector<std::string> cells);

  // Prints the headings and every row, each line starting with indent, the columns two blanks
  // apart and as wide as their widest cell; no trailing blanks.
  void print(std::ostream& out, std::string_view indent) const;

 private:
  std::vector<Column> columns_;
  std::vector<std::vector<std::string>> rows_;
};

}  // namespace cvl::minihost

#endif  // CVL_TOOLS_MINIHOST_REPORTS_TEXT_TABLE_H
