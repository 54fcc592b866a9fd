#pragma once
// A fresh folder of the test's own (mkdtemp), removed with everything in it by the
// destructor, and whole-file reads and writes.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

struct TempDir {
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "gasquill-test-XXXXXX");
        if (::mkdtemp(pattern.data()))
            path = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string File(const std::string& name) const { return (path / name).string(); }
    std::filesystem::path path;
};

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::string& path, const std::string& data) {
    std::ofstream(path, std::ios::binary) << data;
}
