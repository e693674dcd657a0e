#pragma once

#include <QWidget>

#include <functional>
#include <optional>

class QKeyEvent;

namespace klipo {

// The annotation window's top-level widget. It turns the window's command keys
// and its close button into callbacks for the controller. The command keys
// reach it only when the focused control leaves them alone, and it acts on
// them only while no text is being typed on the canvas, so the text field
// keeps its own Ctrl+Z, Ctrl+C and Return.
class AnnoWindow : public QWidget {
public:
    enum class Command { cancel, undo, redo, copy, save, done };

    explicit AnnoWindow(QWidget* parent = nullptr);

    std::function<void()> onCancel;  // Esc
    std::function<void()> onUndo;    // Ctrl+Z
    std::function<void()> onRedo;    // Ctrl+Shift+Z
    std::function<void()> onCopy;    // Ctrl+C
    std::function<void()> onSave;    // Ctrl+S
    std::function<void()> onDone;    // Ctrl+Return
    std::function<void()> onClose;   // the close button
    std::function<bool()> isTextEditing = [] { return false; };

    // The command of a key press, if it is one. Plain Return is none: only
    // Ctrl+Return finishes.
    static std::optional<Command> commandFor(int key, Qt::KeyboardModifiers modifiers);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void run(Command command);
};

}  // namespace klipo
