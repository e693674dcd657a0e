#include "GlobalShortcuts/Modifiers.h"

#include <QKeySequence>

namespace klipo::GlobalShortcuts {

qint64 modifiersFromQt(Qt::KeyboardModifiers modifiers)
{
    qint64 bits = 0;
    if (modifiers & Qt::ControlModifier) bits |= Modifier::control;
    if (modifiers & Qt::AltModifier) bits |= Modifier::option;
    if (modifiers & Qt::ShiftModifier) bits |= Modifier::shift;
    if (modifiers & Qt::MetaModifier) bits |= Modifier::command;
    return bits;
}

Qt::KeyboardModifiers qtModifiers(qint64 modifiers)
{
    Qt::KeyboardModifiers flags;
    if (modifiers & Modifier::control) flags |= Qt::ControlModifier;
    if (modifiers & Modifier::option) flags |= Qt::AltModifier;
    if (modifiers & Modifier::shift) flags |= Qt::ShiftModifier;
    if (modifiers & Modifier::command) flags |= Qt::MetaModifier;
    return flags;
}

QString modifierText(qint64 modifiers)
{
    QString text;
    if (const Qt::KeyboardModifiers qt = qtModifiers(modifiers)) {
        // Qt names modifiers only together with a key: take its text off again.
        text = QKeySequence(QKeyCombination(qt, Qt::Key_A)).toString(QKeySequence::NativeText);
        text.chop(1);
    }
    if (modifiers & Modifier::function) text += QStringLiteral("Fn+");
    return text;
}

}  // namespace klipo::GlobalShortcuts
