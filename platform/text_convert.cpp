#include "platform/text_convert.h"

#include "platform/utf8.h"

#include <algorithm>

std::u16string DeviceTextToWide(std::string_view bytes) {
    bool valid = false;
    std::u16string text = Utf8ToWide(bytes, &valid);
    if (valid)
        return text;
    // Windows-1252 is Latin-1 except for 0x80 to 0x9F; its five unassigned bytes there keep
    // their own code points, as the system that defines the code page converts them.
    static constexpr char16_t kFrom0x80[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    text.resize(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        text[i] = byte >= 0x80 && byte < 0xA0 ? kFrom0x80[byte - 0x80] : char16_t{byte};
    }
    return text;
}

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
