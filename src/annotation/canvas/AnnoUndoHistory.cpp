#include "annotation/canvas/AnnoUndoHistory.h"

namespace klipo {

void AnnoUndoHistory::push(const AnnoState& before)
{
    m_undo.append(before);
    if (m_undo.size() > kLimit) m_undo.remove(0, m_undo.size() - kLimit);
    m_redo.clear();
}

void AnnoUndoHistory::record(const AnnoState& before)
{
    push(before);
    m_restyleItem.reset();
}

void AnnoUndoHistory::recordDrag(const AnnoState& before) { push(before); }

void AnnoUndoHistory::recordRestyle(const AnnoState& before, const QUuid& item, double now)
{
    const bool continuesRun = m_restyleItem == item && now - m_restyleTime <= kRestyleRunSeconds;
    if (!continuesRun) record(before);
    m_restyleItem = item;
    m_restyleTime = now;
}

std::optional<AnnoState> AnnoUndoHistory::undo(const AnnoState& current)
{
    if (m_undo.isEmpty()) return std::nullopt;
    m_redo.append(current);
    m_restyleItem.reset();
    return m_undo.takeLast();
}

std::optional<AnnoState> AnnoUndoHistory::redo(const AnnoState& current)
{
    if (m_redo.isEmpty()) return std::nullopt;
    m_undo.append(current);
    m_restyleItem.reset();
    return m_redo.takeLast();
}

void AnnoUndoHistory::clear()
{
    m_undo.clear();
    m_redo.clear();
    m_restyleItem.reset();
}

}  // namespace klipo
