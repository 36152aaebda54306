#include "discovery/description_parser.h"

#include "platform/text_convert.h"
#include "text/heap.h"
#include "text/notices.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct PartKey {
    std::u16string_view key;
    std::u16string_view label;
};

constexpr PartKey kPartKeys[] = {
    {u"NIC", u"Net"},
    {u"ESS", u"Controller"},
    {u"IOT", u"Engine"},
};

std::u16string ReplacePartKeys(std::u16string_view tail) {
    std::u16string text(tail);
    for (const PartKey& part : kPartKeys) {
        // Every occurrence, left to right; a label put in is not searched again.
        for (size_t at = text.find(part.key); at != std::u16string::npos;
             at = text.find(part.key, at + part.label.size()))
            text.replace(at, part.key.size(), part.label);
    }
    return text;
}

std::u16string_view LabelFor(int versionKind) {
    switch (versionKind) {
    case kVersionController:
        return u"Controller";
    case kVersionEngine:
        return u"Engine";
    case kVersionNetwork:
        return u"Net";
    default:
        return {};
    }
}

std::u16string_view TrimSpaces(std::u16string_view text) {
    size_t first = 0;
    size_t end = text.size();
    while (first < end && text[first] == u' ')
        ++first;
    while (end > first && text[end - 1] == u' ')
        --end;
    return text.substr(first, end - first);
}

size_t SkipAll(std::u16string_view text, char16_t delimiter) {
    size_t position = 0;
    while (position < text.size() && text[position] == delimiter)
        ++position;
    return position;
}

// The piece after the leading delimiters, up to the next delimiter or the end (a tokenizer's
// first token); empty when nothing but delimiters is there.
std::u16string_view FirstPiece(std::u16string_view text, char16_t delimiter) {
    const size_t start = SkipAll(text, delimiter);
    const size_t end = text.find(delimiter, start);
    return text.substr(start, (end == std::u16string_view::npos ? text.size() : end) - start);
}

// The version text after `label` in the parts list, or empty.
std::u16string_view VersionIn(std::u16string_view parts, std::u16string_view label) {
    if (label.empty())
        return {};
    const size_t at = parts.find(label);
    if (at == std::u16string_view::npos)
        return {};
    return TrimSpaces(FirstPiece(parts.substr(at + label.size()), u','));
}

struct SplitText {
    bool parenthesised = false;
    std::u16string_view name;
    std::u16string_view version;
};

SplitText SplitNormalized(std::u16string_view text, int versionKind) {
    SplitText result;
    // A list opener must end the name piece; a text that is empty, all "(", without "(", or
    // with nothing but a list after its leading "(" has no name before a list.
    const size_t nameStart = SkipAll(text, u'(');
    const size_t opener = text.find(u'(', nameStart);
    if (opener == std::u16string_view::npos)
        return result;
    const std::u16string_view rest = text.substr(opener + 1);
    const size_t partsStart = SkipAll(rest, u')');
    if (partsStart == rest.size() || rest.find(u')') == std::u16string_view::npos)
        return result;
    const size_t closer = rest.find(u')', partsStart);
    const std::u16string_view parts = rest.substr(
        partsStart, (closer == std::u16string_view::npos ? rest.size() : closer) - partsStart);
    result.parenthesised = true;
    result.name = TrimSpaces(text.substr(nameStart, opener - nameStart));
    result.version = VersionIn(parts, LabelFor(versionKind));
    return result;
}

// A description in narrow text with the offset of each character; reused from one search to the
// next.
struct NarrowForm {
    std::string whole;
    std::vector<ptrdiff_t> starts;
};

// Whether `description` holds the d bytes of `model` in narrow text, starting at a character.
bool ContainsModel(std::u16string_view description, const char* model, size_t d, NarrowForm& form) {
    // The text is converted once, not from every start: a start at a character takes the bytes
    // of the whole conversion from that character on.
    WideToNarrowMapped(description, form.whole, form.starts);
    const std::string& whole = form.whole;
    const char* const wholeBytes = whole.data();
    const size_t wholeSize = whole.size();
    const ptrdiff_t* const start = form.starts.data();
    const size_t length = description.size();
    std::string lowHalf;
    for (size_t p = 0; p < length; ++p) {
        const char* narrow = nullptr;
        size_t size = 0;
        if (start[p] >= 0) {
            narrow = wholeBytes + start[p];
            size = wholeSize - static_cast<size_t>(start[p]);
        } else {
            // A start inside a surrogate pair converts its low half on its own. Every character
            // gives at least one narrow byte, so d characters give the first d bytes; one more
            // keeps a pair whole.
            const size_t take = std::min(d + 1, length - p);
            lowHalf = WideToNarrow(description.substr(p, take));
            narrow = lowHalf.data();
            size = lowHalf.size();
        }
        // Later start positions only give fewer bytes.
        if (size < d)
            return false;
        if (narrow[0] == model[0] && std::memcmp(narrow, model, d) == 0)
            return true;
    }
    return false;
}

} // namespace

ResultCode FilterAnswersByModel(const ModelListEntry* models, const AnswerArray& answers) {
    NarrowForm form;
    for (const ModelListEntry* model = models; model != nullptr; model = model->next) {
        const size_t d = strnlen(model->name, sizeof(model->name));
        if (d == 0)
            continue;
        for (const auto& answer : answers) {
            // Characters are not bytes: a description shorter in characters than the model name
            // is in bytes may still hold it, so every unmatched answer is searched.
            if (answer->matched != 0)
                continue;
            char16_t* copy = HeapStrDup(answer->description);
            if (copy == nullptr)
                return kResultOutOfMemory;
            if (ContainsModel(std::u16string_view(copy, answer->description.size()), model->name, d,
                              form))
                answer->matched = 1;
            HeapFree(copy);
        }
    }
    return kResultSuccess;
}

void NormalizeDescription(std::u16string& text) {
    const size_t opener = text.find(u'(');
    const size_t semicolon = text.find(u';');
    const std::u16string_view whole(text);
    if (opener != std::u16string::npos) {
        text = text.substr(0, opener) + u'(' + ReplacePartKeys(whole.substr(opener + 1));
    } else if (semicolon != std::u16string::npos) {
        text =
            text.substr(0, semicolon) + u'(' + ReplacePartKeys(whole.substr(semicolon + 1)) + u')';
    }
}

void SplitDescription(std::u16string_view description, int versionKind, char16_t** name,
                      char16_t** version) {
    *name = nullptr;
    *version = nullptr;
    std::u16string normalized(description);
    NormalizeDescription(normalized);
    char16_t* working = HeapStrDup(normalized);
    if (working == nullptr)
        return;
    const std::u16string_view text(working, normalized.size());
    const SplitText split = SplitNormalized(text, versionKind);
    *name = HeapStrDup(split.parenthesised ? split.name : description);
    *version = HeapStrDup(split.version);
    HeapFree(working);
}
