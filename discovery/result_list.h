#pragma once

#include "discovery/discovery.h"
#include "discovery/exchange_state.h"
#include "text/result_code.h"

// Turns the accepted answers into a result array of FindNetworkPrinters: name and version from
// each description, the sender address, wide texts only. Returns kResultOutOfMemory when an
// allocation fails; the array, partly filled, is still handed over unless it could not be allocated
// itself.
ResultCode BuildResultList(const AnswerArray& answers, int versionKind, DiscoveredPrinter** list,
                           int* count);

// Fills the narrow texts of every entry from its wide ones. Returns kResultSuccess, or
// kResultOutOfMemory when the heap refuses one: the list is then released and *list and *count
// cleared.
ResultCode FillNarrowForms(DiscoveredPrinter** list, int* count);

// Drops the answers that name no accepted model and builds the result list of the rest (wide
// texts only); nothing is built when none is left.
ResultCode ListAcceptedAnswers(AnswerArray& answers, const ModelListEntry* models, int versionKind,
                               DiscoveredPrinter** list, int* count);
