#include "platform/collation.h"

#include <unicode/ucol.h>
#include <unicode/uloc.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

using LocalePart = int32_t (*)(const char*, char*, int32_t, UErrorCode*);

std::string Part(LocalePart get, const std::string& name) {
    char part[ULOC_FULLNAME_CAPACITY] = {};
    UErrorCode status = U_ZERO_ERROR;
    get(name.c_str(), part, sizeof(part) - 1, &status);
    return U_SUCCESS(status) ? part : "";
}

// The language, script and territory parts of a locale name such as "de_AT.UTF-8@euro"; the
// language by its three-letter code, so that "de" and "deu" agree, and empty when unknown.
struct LocaleParts {
    explicit LocaleParts(const std::string& name)
        : language(uloc_getISO3Language(name.c_str())), script(Part(uloc_getScript, name)),
          territory(Part(uloc_getCountry, name)) {}

    std::string language, script, territory;
};

// The first entry of LANGUAGE replaces the locale when it says more than the locale or
// something else.
bool Contradicts(const std::string& entry, const std::string& locale) {
    if (entry.empty())
        return false;
    const LocaleParts maybe(entry);
    const LocaleParts known(locale);
    return (!maybe.language.empty() && maybe.language != known.language) ||
           (!maybe.script.empty() && maybe.script != known.script) ||
           (!maybe.territory.empty() && maybe.territory != known.territory);
}

// The locale the Qt edition collated names by (its QLocale()), so the order stays the same:
// LC_ALL, else LC_MESSAGES, else LANG, unless the first entry of LANGUAGE contradicts it.
std::string LocaleFromEnvironment() {
    std::string locale = Environment("LC_ALL");
    if (locale.empty())
        locale = Environment("LC_MESSAGES");
    if (locale.empty())
        locale = Environment("LANG");
    if (locale.empty() || locale == "C" || locale == "POSIX")
        return locale;
    const std::string languages = Environment("LANGUAGE");
    const std::string first = languages.substr(0, languages.find(':'));
    return Contradicts(first, locale) ? first : locale;
}

// The collator of one locale; none for the C locale or one ICU cannot serve, which compare
// code units.
class Collator {
  public:
    explicit Collator(const std::string& name) : m_name(name) {
        // The encoding and modifier ("de_DE.UTF-8@euro") say nothing about the order.
        const std::string id = name.substr(0, name.find_first_of(".@"));
        if (LocaleParts(id).language.empty())
            return;
        UErrorCode status = U_ZERO_ERROR;
        m_collator = ucol_open(id.c_str(), &status);
        if (U_FAILURE(status)) {
            m_collator = nullptr;
            return;
        }
        // Canonically equivalent texts compare equal, case and accents count, digits are
        // characters, and punctuation is not ignored.
        ucol_setAttribute(m_collator, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
        ucol_setAttribute(m_collator, UCOL_STRENGTH, UCOL_TERTIARY, &status);
        ucol_setAttribute(m_collator, UCOL_NUMERIC_COLLATION, UCOL_OFF, &status);
        ucol_setAttribute(m_collator, UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
    }
    ~Collator() {
        if (m_collator != nullptr)
            ucol_close(m_collator);
    }
    Collator(const Collator&) = delete;
    Collator& operator=(const Collator&) = delete;

    const std::string& Name() const { return m_name; }

    int Compare(std::u16string_view a, std::u16string_view b) const {
        if (m_collator == nullptr)
            return a.compare(b);
        return ucol_strcoll(m_collator, a.data(), static_cast<int32_t>(a.size()), b.data(),
                            static_cast<int32_t>(b.size()));
    }

  private:
    std::string m_name;
    UCollator* m_collator = nullptr;
};

std::string g_chosenLocale;

} // namespace

int CompareForLocale(std::u16string_view a, std::u16string_view b) {
    if (a.empty())
        return b.empty() ? 0 : -1;
    if (b.empty())
        return 1;
    // Kept between comparisons, since a sort makes many.
    static const std::string kEnvironmentLocale = LocaleFromEnvironment();
    const std::string& wanted = g_chosenLocale.empty() ? kEnvironmentLocale : g_chosenLocale;
    static std::unique_ptr<Collator> collator;
    if (!collator || collator->Name() != wanted)
        collator = std::make_unique<Collator>(wanted);
    return collator->Compare(a, b);
}

void SetCollationLocale(std::string_view name) {
    g_chosenLocale = name;
}
