#include "annotation/window/AnnoWindow.h"

#include <QCloseEvent>
#include <QKeyEvent>

namespace klipo {

AnnoWindow::AnnoWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    setAttribute(Qt::WA_QuitOnClose, false);
}

std::optional<AnnoWindow::Command> AnnoWindow::commandFor(int key, Qt::KeyboardModifiers modifiers)
{
    modifiers &= ~Qt::KeypadModifier;
    if (key == Qt::Key_Escape && modifiers == Qt::NoModifier) return Command::cancel;
    if (!(modifiers & Qt::ControlModifier) || (modifiers & (Qt::AltModifier | Qt::MetaModifier))) return std::nullopt;
    const bool shift = modifiers & Qt::ShiftModifier;
    switch (key) {
    case Qt::Key_Z: return shift ? Command::redo : Command::undo;
    case Qt::Key_C: return Command::copy;
    case Qt::Key_S: return Command::save;
    case Qt::Key_Return: return Command::done;
    default: return std::nullopt;
    }
}

void AnnoWindow::keyPressEvent(QKeyEvent* event)
{
    const std::optional<Command> command = commandFor(event->key(), event->modifiers());
    if (!command || (command != Command::cancel && isTextEditing && isTextEditing())) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    run(*command);
}

void AnnoWindow::run(Command command)
{
    const std::function<void()>* callback = nullptr;
    switch (command) {
    case Command::cancel: callback = &onCancel; break;
    case Command::undo: callback = &onUndo; break;
    case Command::redo: callback = &onRedo; break;
    case Command::copy: callback = &onCopy; break;
    case Command::save: callback = &onSave; break;
    case Command::done: callback = &onDone; break;
    }
    if (callback && *callback) {
        const std::function<void()> copy = *callback;  // the callback may replace itself
        copy();
    }
}

void AnnoWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (onClose) {
        const std::function<void()> copy = onClose;
        copy();
    }
}

}  // namespace klipo
