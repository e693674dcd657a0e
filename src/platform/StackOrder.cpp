#include "platform/StackOrder.h"

#include <QHash>

namespace klipo::platform {

QList<StackMove> movesBackTo(const QList<StackedWindow>& before, const QList<quint32>& present,
                             const QList<quint32>& windows)
{
    QList<StackMove> moves;
    for (qsizetype i = before.size() - 1; i >= 0; --i) {
        if (!windows.contains(before[i].id) || !present.contains(before[i].id)) continue;
        StackMove move{before[i].id, 0};
        for (qsizetype above = i + 1; above < before.size() && !move.sibling; ++above)
            if (before[above].layer == before[i].layer && present.contains(before[above].id))
                move.sibling = before[above].id;
        moves.append(move);
    }
    return moves;
}

QList<StackMove> movesForRisen(const QList<StackedWindow>& before, const QList<StackedWindow>& now,
                               const QList<quint32>& ours)
{
    QHash<quint32, qsizetype> heightNow;
    QList<quint32> present;
    for (qsizetype i = 0; i < now.size(); ++i) {
        heightNow.insert(now[i].id, i);
        present.append(now[i].id);
    }
    // In each layer, the highest of ours (in `before`) that rose above
    // another program's window.
    QHash<StackLayer, qsizetype> highestRisen;
    for (qsizetype i = 0; i < before.size(); ++i) {
        if (!ours.contains(before[i].id) || !heightNow.contains(before[i].id)) continue;
        for (qsizetype above = i + 1; above < before.size(); ++above) {
            const StackedWindow& other = before[above];
            if (other.layer != before[i].layer || ours.contains(other.id) || !heightNow.contains(other.id)) continue;
            if (heightNow[other.id] < heightNow[before[i].id]) highestRisen.insert(before[i].layer, i);
        }
    }
    QList<quint32> windows;
    for (qsizetype i = 0; i < before.size(); ++i) {
        const auto highest = highestRisen.constFind(before[i].layer);
        if (highest != highestRisen.cend() && i <= *highest && ours.contains(before[i].id))
            windows.append(before[i].id);
    }
    if (windows.isEmpty()) return {};
    QList<StackMove> moves = movesBackTo(before, present, windows);
    moves.removeIf([](const StackMove& move) { return move.sibling == 0; });
    return moves;
}

}  // namespace klipo::platform
