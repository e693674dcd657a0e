#pragma once

#include "stores/HistoryRecord.h"

#include <QCache>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QUuid>

namespace klipo {

class HistoryStore;

// The history section's thumbnails: each record's picture is asked of the
// store once, at 320 pixels, when its item is first painted. A picture the
// store has cached answers within the call; the others arrive later and are
// announced. A record whose image cannot be read is marked broken and not
// asked for again.
class ThumbnailCache : public QObject {
    Q_OBJECT
public:
    static constexpr int maxPixel = 320;

    struct Thumbnail {
        enum class State { loading, ready, broken };
        State state = State::loading;
        QImage image;
    };

    explicit ThumbnailCache(HistoryStore& store, QObject* parent = nullptr);

    // The record's thumbnail as it stands; starts its load on the first ask.
    Thumbnail thumbnail(const HistoryRecord& record);
    bool isLoading() const { return !m_pending.isEmpty(); }
    // Loads asked of the store so far (cache hits included).
    int requestCount() const { return m_requests; }

Q_SIGNALS:
    void thumbnailArrived(const QUuid& id);

private:
    void arrived(const QUuid& id, const QImage& image);

    HistoryStore& m_store;
    QCache<QUuid, QImage> m_images;
    QSet<QUuid> m_pending;
    QSet<QUuid> m_broken;
    int m_requests = 0;
    bool m_inCall = false;  // within the store's loadThumbnail()
};

}  // namespace klipo
