// CommandLine: the options and file arguments of a benchmark program.
#ifndef CVL_TOOLS_BENCH_GENERATOR_COMMAND_LINE_H
#define CVL_TOOLS_BENCH_GENERATOR_COMMAND_LINE_H

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace cvl::bench {

// Reads "--name value", "--name=value", "--flag" and plain arguments. Targets are given by
// pointer and must outlive parse(); a target keeps its value when its option is not given.
class CommandLine {
 public:
  explicit CommandLine(std::string summary) : summary_(std::move(summary)) {}

  void addText(std::string name, std::string* target, std::string help);
  void addInteger(std::string name, int64_t* target, std::string help);
  void addFlag(std::string name, bool* target, std::string help);
  // Plain arguments, in order.
  void setArguments(std::string name, std::vector<std::string>* target);

  // Parses argv. False with a message in error for an unknown option, a missing or malformed
  // value, or "--help" (error then holds the usage text).
  bool parse(int argc, const char* const* argv, std::string& error);
  // The summary and one line per option.
  std::string usage() const;

 private:
  struct Option {
    std::string name;
    std::string help;
    bool takesValue = true;
    std::function<bool(std::string_view)> set;
  };

  std::string summary_;
  std::vector<Option> options_;
  std::string argumentsName_;
  std::vector<std::string>* arguments_ = nullptr;
};

}  // namespace cvl::bench

#endif  // CVL_TOOLS_BENCH_GENERATOR_COMMAND_LINE_H
