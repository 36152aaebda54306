#include "platform/text_convert.h"

#include <QStringEncoder>

#include <algorithm>

std::string WideToNarrow(QStringView wide) {
    const QByteArray bytes = wide.toLocal8Bit();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

QString NarrowToWide(std::string_view narrow) {
    return QString::fromLocal8Bit(narrow.data(), static_cast<qsizetype>(narrow.size()));
}

void WideToNarrowMapped(QStringView wide, std::string& narrow, std::vector<qsizetype>& starts) {
    // The encoder of QString::toLocal8Bit, fed one character at a time.
    QStringEncoder encoder(QStringEncoder::System, QStringEncoder::Flag::Stateless);
    const qsizetype size = wide.size();
    narrow.resize(static_cast<size_t>(encoder.requiredSpace(size)));
    starts.assign(static_cast<size_t>(size), -1);
    const char16_t* units = wide.utf16();
    qsizetype* start = starts.data();
    char* const first = narrow.data();
    char* out = first;
    for (qsizetype i = 0; i < size; ++i) {
        start[i] = out - first;
        // Every narrow code page keeps ASCII as it is.
        if (units[i] < 0x80) {
            *out++ = static_cast<char>(units[i]);
            continue;
        }
        const bool pair =
            QChar::isHighSurrogate(units[i]) && i + 1 < size && QChar::isLowSurrogate(units[i + 1]);
        out = encoder.appendToBuffer(out, QStringView(units + i, pair ? 2 : 1));
        if (pair)
            ++i;
    }
    narrow.resize(static_cast<size_t>(out - first));
}

size_t WideLength(const char16_t* text) {
    size_t length = 0;
    while (text[length] != u'\0')
        ++length;
    return length;
}

void CopyWideField(char16_t* field, size_t capacity, QStringView text) {
    if (capacity == 0)
        return;
    const size_t count = std::min(static_cast<size_t>(text.size()), capacity - 1);
    std::copy_n(text.utf16(), count, field);
    field[count] = u'\0';
}
