#include "text/community_name.h"

#include "text/notices.h"

#include <algorithm>

bool IsValidCommunityName(std::u16string_view name) {
    return std::all_of(name.begin(), name.end(), [](char16_t u) {
        return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') ||
               u == u'-' || u == u'_';
    });
}

bool CommunityNameTrim::Trim(std::u16string typed, const ShowName& show) {
    if (m_trimming)
        return false;
    m_trimming = true;
    bool dropped = false;
    while (!typed.empty() && !IsValidCommunityName(typed)) {
        ShowInvalidCommunityName();
        typed.pop_back();
        show(typed);
        dropped = true;
    }
    m_trimming = false;
    return dropped;
}
