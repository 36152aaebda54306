#include "text/string_table.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

std::u16string Utf16(const wchar_t* text, int length) {
    return std::u16string(reinterpret_cast<const char16_t*>(text), static_cast<size_t>(length));
}

// The STRINGTABLE linked into this program is written from the core's table at build time;
// every entry must come back from the resources exactly as the core has it.
TEST(StringResources, MatchTheCoreTable) {
    const std::vector<uint16_t> ids = ResStringIds();
    ASSERT_FALSE(ids.empty());
    for (const uint16_t id : ids) {
        SCOPED_TRACE(id);
        wchar_t buffer[kResStringBufferUnits];
        const int length =
            LoadStringW(GetModuleHandleW(nullptr), id, buffer, kResStringBufferUnits);
        EXPECT_EQ(Utf16(buffer, length), ResString(id));
    }
}

// Each RT_STRING block holds 16 counted strings, empty where no id is; the non-empty ones must
// be exactly the table's, so no text is in the resources that the core lacks.
TEST(StringResources, HoldNothingElse) {
    size_t strings = 0;
    const auto count = [](HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR total) -> BOOL {
        const HRSRC found = FindResourceW(module, name, type);
        const auto* unit = static_cast<const WCHAR*>(LockResource(LoadResource(module, found)));
        for (int slot = 0; slot < 16; ++slot) {
            *reinterpret_cast<size_t*>(total) += *unit != 0;
            unit += 1 + *unit;
        }
        return TRUE;
    };
    EnumResourceNamesW(nullptr, RT_STRING, count, reinterpret_cast<LONG_PTR>(&strings));
    EXPECT_EQ(strings, ResStringIds().size());
}

} // namespace
