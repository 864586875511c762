#include "minihost/arg_reader.h"

#include <algorithm>

namespace minihost {

bool ArgValues::read(const QvArgList_s& args, std::span<const ArgSpec> specs) {
  values_.assign(specs.size(), nullptr);
  for (const ArgEntry& entry : args.entries) {
    const auto spec = std::find_if(specs.begin(), specs.end(),
                                   [&](const ArgSpec& s) { return s.key == entry.key; });
    if (spec == specs.end()) return false;
    const auto index = static_cast<size_t>(spec - specs.begin());
    if (values_[index] != nullptr) return false;
    if (entry.value.index() != static_cast<size_t>(spec->kind)) return false;
    values_[index] = &entry.value;
  }
  for (size_t i = 0; i < specs.size(); ++i) {
    if (specs[i].required && values_[i] == nullptr) return false;
  }
  return true;
}

const std::string& ArgValues::text(size_t spec) const {
  return std::get<std::string>(*values_[spec]);
}

int64_t ArgValues::integer(size_t spec) const {
  return std::get<int64_t>(*values_[spec]);
}

QvFunction ArgValues::function(size_t spec) const {
  return std::get<QvFunction>(*values_[spec]);
}

const std::vector<std::string>& ArgValues::strings(size_t spec) const {
  return std::get<std::vector<std::string>>(*values_[spec]);
}

const void* ArgValues::array(size_t spec) const {
  return std::get<const void*>(*values_[spec]);
}

std::string textArg(const QvArgList_s* args, std::string_view key) {
  if (args == nullptr) return {};
  for (const ArgEntry& entry : args->entries) {
    if (entry.key == key) {
      if (const auto* text = std::get_if<std::string>(&entry.value)) return *text;
    }
  }
  return {};
}

}  // namespace minihost
