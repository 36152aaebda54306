#include "printers/entry_chain.h"
#include "printers/printer_table.h"

#include "platform/collation.h"
#include "platform/text_convert.h"

#include <algorithm>
#include <vector>

namespace {

// The decimal value of the token's leading digits; none count as 0. Saturates far above any
// address byte so that odd texts cannot overflow.
uint64_t TokenValue(std::u16string_view token) {
    constexpr uint64_t kCeiling = 1'000'000'000'000ULL;
    uint64_t value = 0;
    for (const char16_t c : token) {
        if (c < u'0' || c > u'9')
            break;
        value = std::min(kCeiling, value * 10 + static_cast<uint64_t>(c - u'0'));
    }
    return value;
}

// The pieces between the dots, empty ones included.
std::vector<std::u16string_view> Tokens(std::u16string_view text) {
    std::vector<std::u16string_view> tokens;
    for (size_t start = 0;;) {
        const size_t dot = text.find(u'.', start);
        tokens.push_back(text.substr(start, dot - start));
        if (dot == std::u16string_view::npos)
            return tokens;
        start = dot + 1;
    }
}

int CompareAddresses(const char16_t* a, const char16_t* b) {
    const auto tokensA = Tokens(WideText(a));
    const auto tokensB = Tokens(WideText(b));
    const size_t common = std::min(tokensA.size(), tokensB.size());
    for (size_t i = 0; i < common; ++i) {
        const uint64_t x = TokenValue(tokensA[i]);
        const uint64_t y = TokenValue(tokensB[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}

int CompareNames(const char16_t* a, const char16_t* b) {
    const int order = CompareForLocale(WideText(a), WideText(b));
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
