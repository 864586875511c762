#include "standins/qvsdkbase/arg_reader.h"

#include <algorithm>

namespace qvsdkbase {

bool ArgValues::read(const QvArgList_s& args, std::span<const ArgSpec> expected) {
  values_.assign(expected.size(), nullptr);
  for (const ArgEntry& entry : args.entries) {
    const auto known = std::find_if(expected.begin(), expected.end(),
                                    [&](const ArgSpec& s) { return s.key == entry.key; });
    if (known == expected.end()) return false;
    const auto index = static_cast<size_t>(known - expected.begin());
    if (values_[index] != nullptr) return false;
    if (entry.value.index() != static_cast<size_t>(known->kind)) return false;
    values_[index] = &entry.value;
  }
  for (size_t i = 0; i < expected.size(); ++i) {
    if (expected[i].required && values_[i] == nullptr) return false;
  }
  return true;
}

const std::string& ArgValues::text(size_t known) const {
  return std::get<std::string>(*values_[known]);
}

int64_t ArgValues::integer(size_t known) const {
  return std::get<int64_t>(*values_[known]);
}

QvFunction ArgValues::function(size_t known) const {
  return std::get<QvFunction>(*values_[known]);
}

const std::vector<std::string>& ArgValues::strings(size_t known) const {
  return std::get<std::vector<std::string>>(*values_[known]);
}

const void* ArgValues::array(size_t known) const {
  return std::get<const void*>(*values_[known]);
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

}  // namespace qvsdkbase
