#pragma once

namespace klipo {

class HistoryStore;
class VocabularyStore;

// What the stores settle between them when the program starts.
namespace storesatlaunch {

// Brings the vocabulary book in line with the history: records that a run
// ended while deleting (killed after the history let them go, before the book
// was written) give up their words now. Nothing is done against a history
// that was not read whole (HistoryStore::recordIdsIfIntact()); the note then
// waits for a launch that reads it whole. Blocks on both stores' work: call
// it off the main thread.
void settleVocabulary(HistoryStore& history, VocabularyStore& vocabulary);

}  // namespace storesatlaunch

}  // namespace klipo
