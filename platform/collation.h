#pragma once

#include <string_view>

// Orders two wide texts as the operator's locale does, case counting: negative when `a` goes
// first, 0 when the locale counts them equal, positive when `b` goes first. An empty text goes
// before every other; the C and POSIX locales, and a locale the system does not know, order by
// UTF-16 code units.
int CompareForLocale(std::u16string_view a, std::u16string_view b);

// Test seam: collates for the locale `name`, written as in LANG ("en_US.UTF-8"), instead of
// the one the environment names; an empty name goes back to the environment's.
void SetCollationLocale(std::string_view name);
