#include "tools/minihost/outputs/output_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <random>
#include <system_error>
#include <utility>

namespace cvl::minihost {

namespace {

// Eight hexadecimal digits, different from one call to the next.
std::string randomTag() {
  static std::mt19937 generator{std::random_device{}()};
  constexpr char kDigits[] = "0123456789abcdef";
  std::string tag(8, '0');
  for (char& digit : tag) digit = kDigits[generator() % 16];
  return tag;
}

}  // namespace

std::string cannotWrite(const std::filesystem::path& path, const std::string& reason) {
  return "cannot write " + path.string() + ": " + reason;
}

OutputFile::OutputFile(std::filesystem::path path, std::filesystem::path temporary)
    : path_(std::move(path)), temporary_(std::move(temporary)) {}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : path_(std::move(other.path_)), temporary_(std::exchange(other.temporary_, {})) {}

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
  if (this != &other) {
    discard();
    path_ = std::move(other.path_);
    temporary_ = std::exchange(other.temporary_, {});
  }
  return *this;
}

OutputFile::~OutputFile() {
  discard();
}

void OutputFile::discard() noexcept {
  if (temporary_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove(temporary_, ignored);
  temporary_.clear();
}

std::optional<OutputFile> OutputFile::create(const std::filesystem::path& path,
                                             std::string& error) {
  std::error_code code;
  if (path.empty() || !path.has_filename()) {
    error = cannotWrite(path, "no file name");
    return std::nullopt;
  }
  if (std::filesystem::is_directory(path, code)) {
    error = cannotWrite(path, "it is a folder");
    return std::nullopt;
  }
  const std::filesystem::path folder = path.parent_path();
  if (!folder.empty() && !std::filesystem::is_directory(folder, code)) {
    error = cannotWrite(path, std::filesystem::exists(folder, code)
                                  ? folder.string() + " is not a folder"
                                  : "there is no folder " + folder.string());
    return std::nullopt;
  }
  std::filesystem::path temporary = path;
  for (int attempt = 0; attempt < 8; ++attempt) {
    temporary.replace_filename(path.filename().string() + ".tmp-" + randomTag());
    if (!std::filesystem::exists(temporary, code)) break;
  }
  errno = 0;
  std::ofstream probe(temporary, std::ios::binary | std::ios::trunc);
  if (!probe) {
    error = cannotWrite(path, errno != 0 ? std::strerror(errno) : "cannot create a file there");
    return std::nullopt;
  }
  return OutputFile(path, std::move(temporary));
}

bool OutputFile::commit(std::string& error) {
  std::error_code code;
  std::filesystem::rename(temporary_, path_, code);
  if (code) {
    error = cannotWrite(path_, code.message());
    discard();
    return false;
  }
  temporary_.clear();
  return true;
}

}  // namespace cvl::minihost
