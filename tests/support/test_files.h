// Files of a test process: one temporary folder of its own, so that parallel
// runs never meet, and small helpers to fill and read files in it.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace quelt::test {

// Made on first use, removed when the process ends.
inline const std::filesystem::path& TestDir() {
  struct OwnFolder {
    std::filesystem::path path;
    OwnFolder() {
      std::string pattern = (std::filesystem::temp_directory_path() / "quelt-test-XXXXXX").string();
      if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
      path = pattern;
    }
    ~OwnFolder() {
      std::error_code ignored;
      std::filesystem::remove_all(path, ignored);
    }
  };
  static const OwnFolder folder;
  return folder.path;
}

inline std::string Slurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

inline std::string WriteFile(const std::string& name, const std::string& text) {
  const auto path = (TestDir() / name).string();
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

}  // namespace quelt::test
