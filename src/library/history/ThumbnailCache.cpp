#include "library/history/ThumbnailCache.h"

#include "stores/HistoryStore.h"

#include <QPointer>

namespace klipo {

namespace {
// Enough for a few screens of items; each entry shares its pixels with the
// store's own cache.
constexpr int kKeptThumbnails = 240;
}  // namespace

ThumbnailCache::ThumbnailCache(HistoryStore& store, QObject* parent) : QObject(parent), m_store(store)
{
    m_images.setMaxCost(kKeptThumbnails);
}

ThumbnailCache::Thumbnail ThumbnailCache::thumbnail(const HistoryRecord& record)
{
    if (const QImage* image = m_images.object(record.id)) return {Thumbnail::State::ready, *image};
    if (m_broken.contains(record.id)) return {Thumbnail::State::broken, {}};
    if (m_pending.contains(record.id)) return {};

    m_pending.insert(record.id);
    ++m_requests;
    QPointer<ThumbnailCache> self(this);
    const QUuid id = record.id;
    m_inCall = true;
    m_store.loadThumbnail(record, maxPixel, [self, id](QImage image) {
        if (self) self->arrived(id, image);
    });
    m_inCall = false;
    // A picture the store had cached is here already.
    if (const QImage* image = m_images.object(record.id)) return {Thumbnail::State::ready, *image};
    if (m_broken.contains(record.id)) return {Thumbnail::State::broken, {}};
    return {};
}

void ThumbnailCache::arrived(const QUuid& id, const QImage& image)
{
    const bool wasPending = m_pending.remove(id);
    if (image.isNull())
        m_broken.insert(id);
    else
        m_images.insert(id, new QImage(image), 1);
    // Answers given within thumbnail() need no announcement.
    if (wasPending && !m_inCall) Q_EMIT thumbnailArrived(id);
}

}  // namespace klipo
