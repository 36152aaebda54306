#include "discovery/description_parser.h"

#include "platform/text_convert.h"
#include "text/heap.h"
#include "text/notices.h"

#include <cstring>

namespace {

struct PartKey {
    QStringView key;
    QStringView label;
};

constexpr PartKey kPartKeys[] = {
    {u"NIC", u"Net"},
    {u"ESS", u"Controller"},
    {u"IOT", u"Engine"},
};

QString ReplacePartKeys(QStringView tail) {
    QString text = tail.toString();
    for (const PartKey& part : kPartKeys)
        text.replace(part.key.data(), part.key.size(), part.label.data(), part.label.size(),
                     Qt::CaseSensitive);
    return text;
}

QStringView LabelFor(int versionKind) {
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

QStringView TrimSpaces(QStringView text) {
    qsizetype first = 0;
    qsizetype end = text.size();
    while (first < end && text[first] == u' ')
        ++first;
    while (end > first && text[end - 1] == u' ')
        --end;
    return text.sliced(first, end - first);
}

qsizetype SkipAll(QStringView text, char16_t delimiter) {
    qsizetype position = 0;
    while (position < text.size() && text[position] == delimiter)
        ++position;
    return position;
}

// The piece after the leading delimiters, up to the next delimiter or the end (a tokenizer's
// first token); empty when nothing but delimiters is there.
QStringView FirstPiece(QStringView text, char16_t delimiter) {
    const qsizetype start = SkipAll(text, delimiter);
    const qsizetype end = text.indexOf(QChar(delimiter), start);
    return text.sliced(start, (end < 0 ? text.size() : end) - start);
}

// The version text after `label` in the parts list, or empty.
QStringView VersionIn(QStringView parts, QStringView label) {
    if (label.isEmpty())
        return {};
    const qsizetype at = parts.indexOf(label, 0, Qt::CaseSensitive);
    if (at < 0)
        return {};
    return TrimSpaces(FirstPiece(parts.sliced(at + label.size()), u','));
}

struct SplitText {
    bool parenthesised = false;
    QStringView name;
    QStringView version;
};

SplitText SplitNormalized(QStringView text, int versionKind) {
    SplitText result;
    // A list opener must end the name piece; a text that is empty, all "(", without "(", or
    // with nothing but a list after its leading "(" has no name before a list.
    const qsizetype nameStart = SkipAll(text, u'(');
    const qsizetype opener = text.indexOf(u'(', nameStart);
    if (opener < 0)
        return result;
    const QStringView rest = text.sliced(opener + 1);
    const qsizetype partsStart = SkipAll(rest, u')');
    if (partsStart == rest.size() || !rest.contains(u')'))
        return result;
    const qsizetype closer = rest.indexOf(u')', partsStart);
    const QStringView parts =
        rest.sliced(partsStart, (closer < 0 ? rest.size() : closer) - partsStart);
    result.parenthesised = true;
    result.name = TrimSpaces(text.sliced(nameStart, opener - nameStart));
    result.version = VersionIn(parts, LabelFor(versionKind));
    return result;
}

// Whether `description` holds the d bytes of `model` in narrow text, starting at a character.
bool ContainsModel(const char16_t* description, qsizetype length, const char* model, size_t d) {
    const auto needed = static_cast<qsizetype>(d);
    for (qsizetype p = 0; p < length; ++p) {
        // Every character gives at least one narrow byte, so the first d bytes of the text from
        // p come from its first d characters; one more keeps a surrogate pair whole.
        const qsizetype take = std::min(needed + 1, length - p);
        const std::string narrow = WideToNarrow(QStringView(description + p, take));
        // Later start positions only give fewer bytes.
        if (narrow.size() < d)
            return false;
        if (std::memcmp(narrow.data(), model, d) == 0)
            return true;
    }
    return false;
}

} // namespace

ResultCode FilterAnswersByModel(const ModelListEntry* models, const AnswerArray& answers) {
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
            if (ContainsModel(copy, answer->description.size(), model->name, d))
                answer->matched = 1;
            HeapFree(copy);
        }
    }
    return kResultSuccess;
}

void NormalizeDescription(QString& text) {
    const qsizetype opener = text.indexOf(u'(');
    const qsizetype semicolon = text.indexOf(u';');
    if (opener >= 0) {
        text = text.first(opener) + u'(' + ReplacePartKeys(QStringView(text).sliced(opener + 1));
    } else if (semicolon >= 0) {
        text = text.first(semicolon) + u'(' +
               ReplacePartKeys(QStringView(text).sliced(semicolon + 1)) + u')';
    }
}

void SplitDescription(QStringView description, int versionKind, char16_t** name,
                      char16_t** version) {
    *name = nullptr;
    *version = nullptr;
    QString normalized = description.toString();
    NormalizeDescription(normalized);
    char16_t* working = HeapStrDup(normalized);
    if (working == nullptr)
        return;
    const QStringView text(working, normalized.size());
    const SplitText split = SplitNormalized(text, versionKind);
    *name = HeapStrDup(split.parenthesised ? split.name : description);
    *version = HeapStrDup(split.version);
    HeapFree(working);
}
