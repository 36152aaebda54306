#include "discovery/description_parser.h"

#include "platform/text_convert.h"
#include "text/heap.h"
#include "text/notices.h"

#include <cstring>
#include <string>
#include <vector>

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

// A description in narrow text with the offset of each character; reused from one search to the
// next.
struct NarrowForm {
    std::string whole;
    std::vector<qsizetype> starts;
};

// Whether `description` holds the d bytes of `model` in narrow text, starting at a character.
bool ContainsModel(QStringView description, const char* model, size_t d, NarrowForm& form) {
    // The text is converted once, not from every start: a start at a character takes the bytes
    // of the whole conversion from that character on.
    WideToNarrowMapped(description, form.whole, form.starts);
    const std::string& whole = form.whole;
    const char* const wholeBytes = whole.data();
    const size_t wholeSize = whole.size();
    const qsizetype* const start = form.starts.data();
    const qsizetype length = description.size();
    std::string lowHalf;
    for (qsizetype p = 0; p < length; ++p) {
        const char* narrow = nullptr;
        size_t size = 0;
        if (start[p] >= 0) {
            narrow = wholeBytes + start[p];
            size = wholeSize - static_cast<size_t>(start[p]);
        } else {
            // A start inside a surrogate pair converts its low half on its own. Every character
            // gives at least one narrow byte, so d characters give the first d bytes; one more
            // keeps a pair whole.
            const qsizetype take = std::min(static_cast<qsizetype>(d) + 1, length - p);
            lowHalf = WideToNarrow(description.sliced(p, take));
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
            if (ContainsModel(QStringView(copy, answer->description.size()), model->name, d, form))
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
