#include "tests/support/temporary_directory.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

TemporaryDirectory::TemporaryDirectory() {
    // A name no other test run takes: the clock and a counter, created new or tried again.
    static unsigned s_serial = 0;
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        const auto path =
            base / ("tolvane-test-" + std::to_string(stamp) + "-" + std::to_string(s_serial++));
        std::error_code error;
        if (std::filesystem::create_directory(path, error))
            m_path = path.string();
    }
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
