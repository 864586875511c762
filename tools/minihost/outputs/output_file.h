// OutputFile: a file that appears under its final name only once it is complete. It is written
// under a temporary name in the same folder and renamed into place by commit(); until then a
// file already at the final name stays as it was, and a file never committed is removed.
#ifndef CVL_TOOLS_MINIHOST_OUTPUTS_OUTPUT_FILE_H
#define CVL_TOOLS_MINIHOST_OUTPUTS_OUTPUT_FILE_H

#include <filesystem>
#include <optional>
#include <string>

namespace cvl::minihost {

class OutputFile {
 public:
  // Creates an empty file under a fresh temporary name beside path ("<name>.tmp-<hex>").
  // Nothing, with "cannot write <path>: <reason>" in error, when path is a folder or its folder
  // is missing or cannot be written.
  static std::optional<OutputFile> create(const std::filesystem::path& path, std::string& error);

  OutputFile(OutputFile&& other) noexcept;
  OutputFile& operator=(OutputFile&& other) noexcept;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();  // removes the temporary file unless it was committed

  const std::filesystem::path& path() const { return path_; }  // the final name
  // Where the content goes until commit(); the file exists and is empty when created.
  const std::filesystem::path& temporaryPath() const { return temporary_; }

  // Renames the temporary file to the final name, replacing a file of that name. False, with
  // "cannot write <path>: <reason>" in error, when that fails; the temporary file is then gone.
  bool commit(std::string& error);

 private:
  OutputFile(std::filesystem::path path, std::filesystem::path temporary);
  void discard() noexcept;

  std::filesystem::path path_;
  std::filesystem::path temporary_;  // empty once committed or discarded
};

// "cannot write <path>: <reason>", the one form of every message about an output path.
std::string cannotWrite(const std::filesystem::path& path, const std::string& reason);

}  // namespace cvl::minihost

#endif  // CVL_TOOLS_MINIHOST_OUTPUTS_OUTPUT_FILE_H
