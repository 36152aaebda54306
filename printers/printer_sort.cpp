#include "printers/entry_chain.h"
#include "printers/printer_table.h"

#include "platform/text_convert.h"

#include <QCollator>

#include <algorithm>

namespace {

// The decimal value of the token's leading digits; none count as 0. Saturates far above any
// address byte so that odd texts cannot overflow.
uint64_t TokenValue(QStringView token) {
    constexpr uint64_t kCeiling = 1'000'000'000'000ULL;
    uint64_t value = 0;
    for (const QChar c : token) {
        if (c < u'0' || c > u'9')
            break;
        value = std::min(kCeiling, value * 10 + static_cast<uint64_t>(c.unicode() - u'0'));
    }
    return value;
}

int CompareAddresses(const char16_t* a, const char16_t* b) {
    const auto tokensA = WideText(a).split(u'.');
    const auto tokensB = WideText(b).split(u'.');
    const qsizetype common = std::min(tokensA.size(), tokensB.size());
    for (qsizetype i = 0; i < common; ++i) {
        const uint64_t x = TokenValue(tokensA[i]);
        const uint64_t y = TokenValue(tokensB[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}

int CompareNames(const char16_t* a, const char16_t* b) {
    const int order = printer_chain::UserCollator().compare(WideText(a), WideText(b));
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

int CompareNumbers(int a, int b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

} // namespace

bool IsTextColumn(int column) {
    return column != kColumnTick && column != kColumnAddress && column != kColumnStatus;
}

int ComparePrinterRows(const PrinterEntry* a, const PrinterEntry* b, const SortParams& params) {
    if (params.textCompare)
        return params.direction != 0 ? CompareNames(a->name, b->name)
                                     : CompareNames(b->name, a->name);
    int order = 0;
    switch (params.column) {
    case kColumnTick:
        // Ticked rows first: the larger flag goes first.
        order = CompareNumbers(b->ticked != 0, a->ticked != 0);
        break;
    case kColumnAddress:
        order = CompareAddresses(a->ipAddress, b->ipAddress);
        break;
    case kColumnStatus:
        // The higher status code first.
        order = CompareNumbers(b->status, a->status);
        break;
    default:
        break;
    }
    return params.direction != 0 ? order : -order;
}
