#include "tools/bench/generator/command_line.h"

#include <charconv>

namespace cvl::bench {

void CommandLine::addText(std::string name, std::string* target, std::string help) {
  options_.push_back({std::move(name), std::move(help), true, [target](std::string_view value) {
                        *target = std::string(value);
                        return true;
                      }});
}

void CommandLine::addInteger(std::string name, int64_t* target, std::string help) {
  options_.push_back({std::move(name), std::move(help), true, [target](std::string_view value) {
                        int64_t number = 0;
                        const auto [end, ec] =
                            std::from_chars(value.data(), value.data() + value.size(), number);
                        if (ec != std::errc{} || end != value.data() + value.size()) return false;
                        *target = number;
                        return true;
                      }});
}

void CommandLine::addFlag(std::string name, bool* target, std::string help) {
  options_.push_back({std::move(name), std::move(help), false, [target](std::string_view) {
                        *target = true;
                        return true;
                      }});
}

void CommandLine::setArguments(std::string name, std::vector<std::string>* target) {
  argumentsName_ = std::move(name);
  arguments_ = target;
}

bool CommandLine::parse(int argc, const char* const* argv, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    std::string_view argument = argv[i];
    if (argument == "--help" || argument == "-h") {
      error = usage();
      return false;
    }
    if (argument.substr(0, 2) != "--") {
      if (arguments_ == nullptr) {
        error = "unexpected argument " + std::string(argument);
        return false;
      }
      arguments_->emplace_back(argument);
      continue;
    }
    std::string_view name = argument.substr(2);
    std::string_view value;
    bool hasValue = false;
    if (const size_t equals = name.find('='); equals != std::string_view::npos) {
      value = name.substr(equals + 1);
      name = name.substr(0, equals);
      hasValue = true;
    }
    const Option* option = nullptr;
    for (const Option& candidate : options_) {
      if (candidate.name == name) option = &candidate;
    }
    if (option == nullptr) {
      error = "unknown option --" + std::string(name) + "\n" + usage();
      return false;
    }
    if (option->takesValue && !hasValue) {
      if (i + 1 >= argc) {
        error = "--" + option->name + " needs a value";
        return false;
      }
      value = argv[++i];
    } else if (!option->takesValue && hasValue) {
      error = "--" + option->name + " takes no value";
      return false;
    }
    if (!option->set(value)) {
      error = "--" + option->name + ": not a valid value: " + std::string(value);
      return false;
    }
  }
  return true;
}

std::string CommandLine::usage() const {
  std::string text = summary_ + "\noptions:\n";
  for (const Option& option : options_) {
    std::string left = "  --" + option.name + (option.takesValue ? " VALUE" : "");
    if (left.size() < 24) left.resize(24, ' ');
    text += left + " " + option.help + "\n";
  }
  if (arguments_ != nullptr) text += "arguments: " + argumentsName_ + "\n";
  return text;
}

}  // namespace cvl::bench
