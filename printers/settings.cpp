#include "printers/settings.h"

#include "platform/text_convert.h"
#include "text/string_ids.h"
#include "text/string_table.h"

#include <algorithm>
#include <cstring>

void FillDefaultSettings(AppSettings* settings) {
    std::memset(settings, 0, sizeof(*settings));
    settings->versionKind = kDefaultVersionKind;
    const std::string models = WideToNarrow(ResString(IDS_MODEL_LIST));
    const size_t length = std::min(models.size(), static_cast<size_t>(kModelListBytes - 1));
    std::memcpy(settings->modelList, models.data(), length);
}
