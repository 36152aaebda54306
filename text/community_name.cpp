#include "text/community_name.h"

#include <algorithm>

bool IsValidCommunityName(std::u16string_view name) {
    return std::all_of(name.begin(), name.end(), [](char16_t u) {
        return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') ||
               u == u'-' || u == u'_';
    });
}
