#include "tools/minihost/outputs/sheet_names.h"

#include <algorithm>

#include "tools/minihost/outputs/printable_text.h"

namespace cvl::minihost {

namespace {

constexpr size_t kMaxLength = 31;  // in UTF-16 units, as Excel counts

std::string lowerCase(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// The UTF-8 text cut to at most units UTF-16 units, never inside a character.
std::string shortened(const std::string& text, size_t units) {
  size_t used = 0;
  size_t end = 0;
  while (end < text.size()) {
    const auto lead = static_cast<unsigned char>(text[end]);
    const size_t bytes = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    const size_t width = bytes == 4 ? 2 : 1;
    if (used + width > units) break;
    used += width;
    end += bytes;
  }
  return text.substr(0, end);
}

// text shortened to units and, since a sheet name may not end in an apostrophe, with any
// apostrophe that the cut left at its end replaced by '_'.
std::string fitted(const std::string& text, size_t units) {
  std::string name = shortened(text, units);
  for (size_t end = name.size(); end > 0 && name[end - 1] == '\''; --end) name[end - 1] = '_';
  return name;
}

// wanted made printable with the forbidden characters replaced and no apostrophe at the ends.
std::string cleaned(std::string_view wanted) {
  std::string name = printableText(wanted);
  for (char& c : name) {
    if (std::string_view("[]:*?/\\").find(c) != std::string_view::npos) c = '_';
  }
  const size_t first = name.find_first_not_of('\'');
  if (first == std::string::npos) return "Sheet";
  name = name.substr(first, name.find_last_not_of('\'') - first + 1);
  return lowerCase(name) == "history" ? name + "_" : name;
}

}  // namespace

bool SheetNames::taken(const std::string& name) const {
  return std::ranges::find(taken_, lowerCase(name)) != taken_.end();
}

std::string SheetNames::add(std::string_view wanted, std::string_view suffix) {
  const std::string base = cleaned(wanted);
  std::string name = fitted(base, kMaxLength - suffix.size()) + std::string(suffix);
  for (int number = 2; taken(name); ++number) {
    const std::string tail = " ~" + std::to_string(number) + std::string(suffix);
    name = fitted(base, kMaxLength - tail.size()) + tail;
  }
  taken_.push_back(lowerCase(name));
  return name;
}

}  // namespace cvl::minihost
