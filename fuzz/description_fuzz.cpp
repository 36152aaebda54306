// Feeds arbitrary device descriptions to the model filter, normalisation and splitting.
// Input: one byte choosing the version kind, then the description in narrow text.
#include "discovery/description_parser.h"
#include "platform/text_convert.h"
#include "text/heap.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

ModelListEntry g_models[2];

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    TakeProcessHeap();
    std::strcpy(g_models[0].name, "Korvil 2950MFP-D");
    std::strcpy(g_models[1].name, "Korvil 2950MFP-N");
    g_models[0].next = &g_models[1];
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    constexpr int kKinds[] = {0, 1, 4, 9};
    const int versionKind = kKinds[data[0] % 4];
    // The exchange ends a description at its first zero byte, and the reply decoder hands it at
    // most 255 bytes: longer texts never reach the parser, so they are cut rather than searched.
    constexpr size_t kMaxDescriptionBytes = 255;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::u16string description =
        NarrowToWide(bytes.substr(0, std::min(bytes.find('\0'), kMaxDescriptionBytes)));
    const auto holds = [](std::u16string_view text, std::u16string_view piece) {
        return text.find(piece) != std::u16string_view::npos;
    };

    AnswerArray answers;
    answers.push_back(std::make_unique<PrinterData>(description, u"10.77.1.1"));
    if (FilterAnswersByModel(g_models, answers) != 0)
        std::abort();
    if (answers[0]->matched !=
        (holds(description, u"Korvil 2950MFP-D") || holds(description, u"Korvil 2950MFP-N")))
        std::abort();

    char16_t* name = nullptr;
    char16_t* version = nullptr;
    SplitDescription(description, versionKind, &name, &version);
    if (name == nullptr || version == nullptr)
        std::abort();
    const std::u16string_view nameText(name);
    const std::u16string_view versionText(version);
    std::u16string normalized = description;
    NormalizeDescription(normalized);
    // The name is the whole description or a piece of its normalised form; the version is a
    // piece of the normalised form.
    if (nameText != description && !holds(normalized, nameText))
        std::abort();
    if (!holds(normalized, versionText))
        std::abort();
    HeapFree(name);
    HeapFree(version);
    return 0;
}
