#pragma once

#include "annotation/model/AnnoState.h"

#include <QList>
#include <QUuid>

#include <optional>

namespace klipo {

// The canvas's undo and redo stacks of whole-state snapshots (newest last).
// The undo stack keeps the newest 200. Restyles of one mark that follow each
// other within 1.2 seconds share one snapshot.
class AnnoUndoHistory {
public:
    static constexpr int kLimit = 200;
    static constexpr double kRestyleRunSeconds = 1.2;

    const QList<AnnoState>& undoStack() const { return m_undo; }
    const QList<AnnoState>& redoStack() const { return m_redo; }

    // Records the state before an edit; empties the redo stack and ends a
    // restyle run.
    void record(const AnnoState& before);
    // The same for a finished move or resize, which leaves a restyle run going.
    void recordDrag(const AnnoState& before);
    // Records the state before restyling the mark at `now` (seconds on a
    // monotonic clock) unless it continues the run of restyles of that mark.
    void recordRestyle(const AnnoState& before, const QUuid& item, double now);

    // The state to return to, with `current` kept for the other direction;
    // none when the stack is empty. Either ends a restyle run.
    std::optional<AnnoState> undo(const AnnoState& current);
    std::optional<AnnoState> redo(const AnnoState& current);

    // Ends a restyle run (the state was replaced).
    void endRestyleRun() { m_restyleItem.reset(); }
    void clear();

private:
    void push(const AnnoState& before);

    QList<AnnoState> m_undo;
    QList<AnnoState> m_redo;
    std::optional<QUuid> m_restyleItem;
    double m_restyleTime = 0;
};

}  // namespace klipo
