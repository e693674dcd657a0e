#pragma once

#include "GlobalShortcuts/Name.h"
#include "preferences/PrefsForm.h"

#include <QList>
#include <QString>

class QLabel;

namespace klipo {

namespace GlobalShortcuts {
class Recorder;
class RecorderControl;
}
class ShortcutConflictView;

// One labelled recorder row for a shortcut item. Every change it makes asks
// the warning list to refresh; under it shows why the name's hot key is not
// working while it is refused (taken, and waiting to be freed; unsupported;
// or without a modifier, which is never grabbed).
class ShortcutConflictRecorder : public QWidget {
public:
    ShortcutConflictRecorder(const QString& title, const GlobalShortcuts::Name& name, QWidget* parent = nullptr);

    GlobalShortcuts::Recorder* row() const { return m_row; }
    GlobalShortcuts::RecorderControl* recorder() const;
    QLabel* label() const;
    QLabel* stateLabel() const { return m_state; }
    void refreshState();

private:
    GlobalShortcuts::Name m_name;
    GlobalShortcuts::Recorder* m_row;
    QLabel* m_state;
};

// The ten global shortcuts with their recorders, the live warning list and a
// note on how recording works.
class PrefsShortcutTab : public PrefsForm::Page {
public:
    explicit PrefsShortcutTab(QWidget* parent = nullptr);

    const QList<ShortcutConflictRecorder*>& recorders() const { return m_recorders; }
    ShortcutConflictRecorder* recorderFor(const QString& rawName) const;
    ShortcutConflictView* conflictView() const { return m_conflicts; }
    QWidget* conflictSection() const { return m_conflictSection; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QList<ShortcutConflictRecorder*> m_recorders;
    ShortcutConflictView* m_conflicts;
    QWidget* m_conflictSection;
};

}  // namespace klipo
