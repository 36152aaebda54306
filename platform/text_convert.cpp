#include "platform/text_convert.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

std::string WideToNarrow(QStringView wide) {
    const QByteArray bytes = wide.toLocal8Bit();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

QString NarrowToWide(std::string_view narrow) {
    return QString::fromLocal8Bit(narrow.data(), static_cast<qsizetype>(narrow.size()));
}

QString DeviceTextToWide(std::string_view bytes) {
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (!utf8.hasError())
        return text;
    // Windows-1252 is Latin-1 except for 0x80 to 0x9F; its five unassigned bytes there keep
    // their own code points, as the system that defines the code page converts them.
    static constexpr char16_t kFrom0x80[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    text.resize(static_cast<qsizetype>(bytes.size()));
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        text[static_cast<qsizetype>(i)] =
            QChar(byte >= 0x80 && byte < 0xA0 ? kFrom0x80[byte - 0x80] : char16_t{byte});
    }
    return text;
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
