#include "stores/StoresAtLaunch.h"

#include "stores/HistoryStore.h"
#include "stores/VocabularyStore.h"

namespace klipo::storesatlaunch {

void settleVocabulary(HistoryStore& history, VocabularyStore& vocabulary)
{
    const std::optional<QSet<QUuid>> ids = history.recordIdsIfIntact();
    if (!ids) return;
    QSet<QString> texts;
    texts.reserve(ids->size());
    for (const QUuid& id : *ids) texts.insert(HistoryRecord::idText(id));
    vocabulary.settlePendingDetaches(texts);
}

}  // namespace klipo::storesatlaunch
