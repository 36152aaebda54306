#include "platform/text_convert.h"

#include "platform/utf8.h"

#include <algorithm>

size_t WideLength(const char16_t* text) {
    size_t length = 0;
    while (text[length] != u'\0')
        ++length;
    return length;
}

std::u16string_view WideText(const char16_t* text) {
    if (text == nullptr)
        return {};
    return std::u16string_view(text, WideLength(text));
}

void CopyWideField(char16_t* field, size_t capacity, std::u16string_view text) {
    if (capacity == 0)
        return;
    const size_t count = std::min(text.size(), capacity - 1);
    std::copy_n(text.data(), count, field);
    field[count] = u'\0';
}
