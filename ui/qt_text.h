#pragma once

#include "text/string_table.h"

#include <QString>
#include <QStringView>

#include <cstdint>
#include <string>
#include <string_view>

// The widgets' edge: the core's wide texts (UTF-16) as Qt strings, and back.
inline QString QtText(std::u16string_view text) {
    return QStringView(text).toString();
}

inline std::u16string WideOf(QStringView text) {
    return std::u16string(text.utf16(), static_cast<size_t>(text.size()));
}

// A string-table entry as a Qt string.
inline QString ResQString(uint16_t id) {
    return QtText(ResString(id));
}
