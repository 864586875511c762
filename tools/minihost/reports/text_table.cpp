#include "tools/minihost/reports/text_table.h"

#include <algorithm>

namespace cvl::minihost {

void TextTable::addRow(std::vector<std::string> cells) {
  cells.resize(columns_.size());
  rows_.push_back(std::move(cells));
}

void TextTable::print(std::ostream& out, std::string_view indent) const {
  std::vector<size_t> widths;
  for (const Column& column : columns_) widths.push_back(column.heading.size());
  for (const auto& row : rows_) {
    for (size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
  }
  const auto printLine = [&](const auto& cellAt) {
    std::string line(indent);
    for (size_t c = 0; c < columns_.size(); ++c) {
      const std::string& cell = cellAt(c);
      const std::string padding(widths[c] - cell.size(), ' ');
      if (c > 0) line += "  ";
      line += columns_[c].align == Align::Right ? padding + cell : cell + padding;
    }
    line.erase(line.find_last_not_of(' ') + 1);
    out << line << '\n';
  };
  printLine([&](size_t c) -> const std::string& { return columns_[c].heading; });
  for (const auto& row : rows_) {
    printLine([&](size_t c) -> const std::string& { return row[c]; });
  }
}

}  // namespace cvl::minihost
