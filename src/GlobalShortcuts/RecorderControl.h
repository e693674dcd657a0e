#pragma once

#include "GlobalShortcuts/Name.h"

#include <QLineEdit>
#include <QStringList>

#include <functional>
#include <optional>

namespace klipo::GlobalShortcuts {

// The field in which the user records a name's shortcut. It shows the
// current shortcut (Ctrl+Shift+T); clicking it, or tabbing to it, starts
// recording, and the field says "请按下快捷键" meanwhile, in place of the
// shortcut it holds:
// the next combination is checked, warned about when a menu item or another
// program already uses it, stored under the name and reported to onChange.
// The clear button (or Delete while recording) clears the name's shortcut.
//
// While it records, every hot key of the program is let go (see setPaused),
// so the keys reach the field and nothing fires. Getting focus because its
// window was activated does not start a recording; coming back from one of
// its warnings does: the recording goes on until a key is taken, Escape, or
// a click elsewhere.
class RecorderControl : public QLineEdit {
    Q_OBJECT
public:
    using ChangeHandler = std::function<void(const std::optional<Shortcut>&)>;

    struct Alert {
        QString title;
        QString informativeText;
        QStringList buttons;  // in order; the first is the default
    };
    // Shows an alert over `parent` and answers the index of the button chosen.
    using AlertPresenter = std::function<int(QWidget* parent, const Alert& alert)>;

    explicit RecorderControl(const Name& name, ChangeHandler onChange = {}, QWidget* parent = nullptr);
    ~RecorderControl() override;

    const Name& shortcutName() const { return m_name; }
    // Retargets the field; it then shows the new name's shortcut.
    void setShortcutName(const Name& name);

    bool isRecording() const { return m_recording; }

    // Replaces the message boxes (tests answer alerts themselves); an empty
    // presenter puts them back.
    void setAlertPresenter(AlertPresenter presenter);

    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void beginRecording();
    void endRecording();
    void refreshText();
    void handleRecordingKey(QKeyEvent* event);
    void textEditedByUser(const QString& text);
    void giveUpFocus();
    void takeFocusBack();
    int showAlert(const Alert& alert);

    Name m_name;
    ChangeHandler m_onChange;
    AlertPresenter m_presentAlert;
    bool m_recording = false;
    // Focus was taken back after a warning: its return starts recording again.
    bool m_resumeOnFocus = false;
};

}  // namespace klipo::GlobalShortcuts
