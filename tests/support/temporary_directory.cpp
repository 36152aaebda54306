#include "tests/support/temporary_directory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

TemporaryDirectory::TemporaryDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tolvane-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr)
        m_path = pattern;
    EXPECT_FALSE(m_path.empty()) << "no temporary directory";
}

TemporaryDirectory::~TemporaryDirectory() {
    std::error_code ignored;
    if (!m_path.empty())
        std::filesystem::remove_all(m_path, ignored);
}

std::string TemporaryDirectory::FilePath(std::string_view name) const {
    return m_path + "/" + std::string(name);
}

std::string TemporaryDirectory::Write(std::string_view name, std::string_view content) const {
    const std::string path = FilePath(name);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(content.data(), static_cast<std::streamsize>(content.size()));
    file.close();
    EXPECT_TRUE(file) << "cannot write " << path;
    return path;
}
