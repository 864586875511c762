#include "tools/minihost/host/variable_lookup.h"

namespace cvl::minihost {

namespace {

constexpr size_t kListed = 30;  // variables named in a message at most

std::string quotedList(const std::vector<std::string>& variables,
                       const std::vector<size_t>& indices) {
  std::string list;
  for (size_t i = 0; i < indices.size() && i < kListed; ++i) {
    list += (i == 0 ? "\"" : ", \"") + variables[indices[i]] + "\"";
  }
  if (indices.size() > kListed) list += ", ... (" + std::to_string(indices.size()) + " in all)";
  return list;
}

}  // namespace

NameAndUnit splitUnit(std::string_view fullName) {
  if (fullName.empty() || fullName.back() != ')') return {fullName, std::nullopt};
  const size_t open = fullName.rfind(" (");
  if (open == std::string_view::npos) return {fullName, std::nullopt};
  return {fullName.substr(0, open), fullName.substr(open + 2, fullName.size() - open - 3)};
}

std::optional<size_t> findVariable(const std::vector<std::string>& variables, std::string_view name,
                                   std::string& error) {
  std::vector<size_t> matches;
  for (size_t v = 0; v < variables.size(); ++v) {
    if (variables[v] == name) return v;
    if (splitUnit(variables[v]).name == name) matches.push_back(v);
  }
  if (matches.size() == 1) return matches.front();
  if (matches.empty()) {
    std::vector<size_t> all(variables.size());
    for (size_t v = 0; v < all.size(); ++v) all[v] = v;
    error = "no variable \"" + std::string(name) + "\"; the variables are " +
            quotedList(variables, all);
  } else {
    error = "\"" + std::string(name) + "\" could be " + quotedList(variables, matches) +
            "; give the full name";
  }
  return std::nullopt;
}

}  // namespace cvl::minihost
