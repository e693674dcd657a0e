#include "annotation/canvas/AnnoTextField.h"

#include <QFocusEvent>
#include <QKeyEvent>

namespace klipo {

namespace {
bool isCommitOrCancelKey(const QKeyEvent* e)
{
    return e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Escape;
}
}  // namespace

AnnoTextField::AnnoTextField(QWidget* parent) : QLineEdit(parent)
{
    setFrame(false);
    setAutoFillBackground(false);
    setAttribute(Qt::WA_InputMethodEnabled, true);
    setAttribute(Qt::WA_MacShowFocusRect, false);
    setTextMargins(0, 0, 0, 0);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setContextMenuPolicy(Qt::NoContextMenu);
    QPalette p = palette();
    p.setColor(QPalette::Base, Qt::transparent);
    setPalette(p);
}

bool AnnoTextField::event(QEvent* event)
{
    // Keep hosts' shortcuts on Return and Esc from taking the field's keys.
    if (event->type() == QEvent::ShortcutOverride && isCommitOrCancelKey(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QLineEdit::event(event);
}

void AnnoTextField::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        Q_EMIT cancelRequested();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        Q_EMIT commitRequested();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void AnnoTextField::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // A popup (the input method's or a menu) borrowing the focus is no ending.
    if (event->reason() != Qt::PopupFocusReason) Q_EMIT commitRequested();
}

}  // namespace klipo
