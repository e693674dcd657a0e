#pragma once

#include "GlobalShortcuts/RecorderControl.h"

#include <QWidget>

class QLabel;

namespace klipo::GlobalShortcuts {

// A settings row for one name: its label on the left, the recorder on the
// right; or the recorder alone.
class Recorder : public QWidget {
public:
    using ChangeHandler = RecorderControl::ChangeHandler;

    // The recorder alone.
    explicit Recorder(const Name& name, ChangeHandler onChange = {}, QWidget* parent = nullptr);
    // With a title shown as it is given.
    Recorder(const QString& title, const Name& name, ChangeHandler onChange = {}, QWidget* parent = nullptr);
    // With any label widget (the row takes it over); none shows no label.
    Recorder(QWidget* label, const Name& name, ChangeHandler onChange = {}, QWidget* parent = nullptr);

    const Name& name() const { return m_recorder->shortcutName(); }
    // Retargets the row's recorder; the change handler it was made with stays.
    void setName(const Name& name) { m_recorder->setShortcutName(name); }

    bool hasLabel() const { return m_label != nullptr; }
    QWidget* label() const { return m_label; }
    // The label made from a title; null for other labels.
    QLabel* titleLabel() const;
    RecorderControl* recorder() const { return m_recorder; }

private:
    QWidget* m_label;
    RecorderControl* m_recorder;
};

}  // namespace klipo::GlobalShortcuts
