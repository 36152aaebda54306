#pragma once

#include <functional>
#include <string>
#include <string_view>

// The longest community name the dialog takes.
constexpr int kCommunityNameMaxChars = 31;

// True when every character is a plain ASCII letter or digit, '-' or '_': the name goes out in
// SNMP requests as narrow text.
bool IsValidCommunityName(std::u16string_view name);

// The check of a name as it is typed: while the name holds a character that is not allowed, the
// notice, then its last character dropped, wherever the bad one is. `show` puts each shorter name
// into the field at once, so that the next notice stands over it. A call made while `show` runs
// (the field telling of the change just made) is ignored: the loop rechecks instead.
class CommunityNameTrim {
  public:
    using ShowName = std::function<void(const std::u16string& name)>;
    // True when a character was dropped.
    bool Trim(std::u16string typed, const ShowName& show);

  private:
    bool m_trimming = false;
};
