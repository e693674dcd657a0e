#pragma once

#include "GlobalShortcuts/Name.h"
#include "preferences/PrefsForm.h"

#include <QList>
#include <QString>

class QLabel;
class QPushButton;

namespace klipo {

namespace GlobalShortcuts {
class Recorder;
class RecorderControl;
}  // namespace GlobalShortcuts
class ShortcutConflictView;

// One labelled recorder row for a shortcut item, with a button that puts the
// item's default back. Every change it makes asks the warning list to
// refresh; under it shows why the name's hot key is not working while it is
// refused (taken, and waiting to be freed; unsupported; without a modifier,
// which is never grabbed; or left to another item on the same combination).
class ShortcutConflictRecorder : public QWidget {
public:
    ShortcutConflictRecorder(const QString& title, const GlobalShortcuts::Name& name, QWidget* parent = nullptr);

    GlobalShortcuts::Recorder* row() const { return m_row; }
    GlobalShortcuts::RecorderControl* recorder() const;
    QLabel* label() const;
    QLabel* stateLabel() const { return m_state; }
    // "恢复默认": enabled while the stored shortcut differs from the default.
    QPushButton* resetButton() const { return m_reset; }
    void refreshState();

private:
    GlobalShortcuts::Name m_name;
    GlobalShortcuts::Recorder* m_row;
    QPushButton* m_reset;
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
