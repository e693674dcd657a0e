#pragma once

#include "preferences/ShortcutConflictChecker.h"

#include <QList>
#include <QWidget>

#include <functional>

class QPushButton;
class QVBoxLayout;

namespace klipo {

// The live list of warnings about the program's shortcuts, with a button to
// the desktop's keyboard-shortcut settings (where this desktop has them).
// Refreshes when it comes on screen, when a shortcut changes or its hot key
// is taken or given back, and when the program becomes active again. Holds
// nothing at all while there is no warning.
class ShortcutConflictView : public QWidget {
public:
    explicit ShortcutConflictView(QWidget* parent = nullptr);

    const QList<ShortcutConflictChecker::Conflict>& conflicts() const { return m_conflicts; }
    QPushButton* settingsButton() const { return m_settingsButton; }
    void refresh();
    // Refreshes once the current event is handled (several asks make one refresh).
    void scheduleRefresh();

    // Called after every refresh with whether there is any warning.
    std::function<void(bool hasConflicts)> onConflictsChanged;

protected:
    void showEvent(QShowEvent* event) override;

private:

    QList<ShortcutConflictChecker::Conflict> m_conflicts;
    QVBoxLayout* m_rows;
    QPushButton* m_settingsButton;
    bool m_refreshPending = false;
};

}  // namespace klipo
