#include "platform/text_convert.h"

#include <algorithm>

std::string WideToNarrow(QStringView wide) {
    const QByteArray bytes = wide.toLocal8Bit();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

QString NarrowToWide(std::string_view narrow) {
    return QString::fromLocal8Bit(narrow.data(), static_cast<qsizetype>(narrow.size()));
}

size_t WideLength(const char16_t* text) {
    size_t length = 0;
    while (text[length] != u'\0')
        ++length;
    return length;
}

QStringView WideText(const char16_t* text) {
    if (text == nullptr)
        return {};
    return QStringView(text, static_cast<qsizetype>(WideLength(text)));
}

void CopyWideField(char16_t* field, size_t capacity, QStringView text) {
    if (capacity == 0)
        return;
    const size_t count = std::min(static_cast<size_t>(text.size()), capacity - 1);
    std::copy_n(text.utf16(), count, field);
    field[count] = u'\0';
}
