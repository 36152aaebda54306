#include "discovery/result_list.h"

#include "discovery/description_parser.h"
#include "text/heap.h"
#include "text/notices.h"

namespace {

bool FillNarrowFields(DiscoveredPrinter& entry) {
    entry.narrowName = HeapNarrowCopy(entry.wideName);
    if (entry.narrowName == nullptr)
        return false;
    entry.narrowAddress = HeapNarrowCopy(entry.wideAddress);
    if (entry.narrowAddress == nullptr)
        return false;
    entry.narrowVersion = HeapNarrowCopy(entry.wideVersion);
    return entry.narrowVersion != nullptr;
}

} // namespace

ResultCode FillNarrowForms(DiscoveredPrinter** list, int* count) {
    for (int i = 0; i < *count; ++i) {
        if (!FillNarrowFields((*list)[i])) {
            FreeNetworkPrinterList(*count, *list);
            *list = nullptr;
            *count = 0;
            return kResultOutOfMemory;
        }
    }
    return kResultSuccess;
}

ResultCode BuildResultList(const AnswerArray& answers, int versionKind, DiscoveredPrinter** list,
                           int* count) {
    const size_t total = answers.size();
    auto* entries =
        static_cast<DiscoveredPrinter*>(HeapAllocZero(total * sizeof(DiscoveredPrinter)));
    if (entries == nullptr)
        return kResultOutOfMemory;
    ResultCode result = kResultSuccess;
    for (size_t i = 0; i < total; ++i) {
        DiscoveredPrinter& entry = entries[i];
        SplitDescription(answers[i]->description, versionKind, &entry.wideName, &entry.wideVersion);
        entry.wideAddress = HeapStrDup(answers[i]->address);
        entry.wideDescription = HeapStrDup(answers[i]->description);
        if (entry.wideName == nullptr || entry.wideAddress == nullptr ||
            entry.wideVersion == nullptr || entry.wideDescription == nullptr) {
            result = kResultOutOfMemory;
            break;
        }
    }
    *list = entries;
    *count = static_cast<int>(total);
    return result;
}

ResultCode ListAcceptedAnswers(AnswerArray& answers, const ModelListEntry* models, int versionKind,
                               DiscoveredPrinter** list, int* count) {
    if (answers.empty())
        return kResultSuccess;
    const ResultCode result = FilterAnswersByModel(models, answers);
    if (result != kResultSuccess)
        return result;
    std::erase_if(answers, [](const auto& answer) { return answer->matched == 0; });
    return answers.empty() ? kResultSuccess : BuildResultList(answers, versionKind, list, count);
}
