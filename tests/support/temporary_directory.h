#pragma once

#include <string>
#include <string_view>

// A fresh directory under the system's temporary one, removed with all it holds when the object
// goes. Paths are narrow text.
class TemporaryDirectory {
  public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    const std::string& Path() const { return m_path; }
    std::string FilePath(std::string_view name) const;

    // Writes `content` as the whole file `name`, replacing any, and returns its path; the
    // current test fails when it cannot.
    std::string Write(std::string_view name, std::string_view content) const;

  private:
    std::string m_path;
};
