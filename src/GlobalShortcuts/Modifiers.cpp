#include "GlobalShortcuts/Modifiers.h"

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

QString symbolicRepresentation(qint64 modifiers)
{
    QString glyphs;
    if (modifiers & Modifier::control) glyphs += QChar(0x2303);
    if (modifiers & Modifier::option) glyphs += QChar(0x2325);
    if (modifiers & Modifier::shift) glyphs += QChar(0x21E7);
    if (modifiers & Modifier::command) glyphs += QChar(0x2318);
    if (modifiers & Modifier::function) {
        const char32_t globe[] = {0x1F310, 0xFE0E};
        glyphs += QString::fromUcs4(globe, 2);
    }
    return glyphs;
}

}  // namespace klipo::GlobalShortcuts
