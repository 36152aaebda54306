#pragma once

#include "discovery/exchange_state.h"
#include "discovery/model_list.h"
#include "text/result_code.h"

#include <string>
#include <string_view>

// Which part's version a discovery entry carries.
enum VersionKind : int {
    kVersionController = 0,
    kVersionEngine = 1,
    kVersionNetwork = 4,
};

// Marks every answer whose description contains one of the model names (exact, case-sensitive,
// compared in narrow text). Returns kResultSuccess, or kResultOutOfMemory when a working copy
// cannot be allocated.
ResultCode FilterAnswersByModel(const ModelListEntry* models, const AnswerArray& answers);

// Brings "name;parts" into the "name(parts)" layout and replaces the part keys after the opener
// by their labels.
void NormalizeDescription(std::u16string& text);

// Takes the printer name and the version of the part chosen by `versionKind` from a
// description as received. Both results are heap texts owned by the caller; a text that cannot
// be allocated comes back as nullptr.
void SplitDescription(std::u16string_view description, int versionKind, char16_t** name,
                      char16_t** version);
