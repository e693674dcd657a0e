#include "overlay/SelKeys.h"

namespace klipo::SelKeys {

namespace {
bool isReturn(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }
}  // namespace

Decision monitor(const Context& c, int key, Qt::KeyboardModifiers modifiers)
{
    if (!c.active) return {};
    if (key == Qt::Key_Escape) return {Command::escape, {}};
    if (c.phase != SelPhase::editing) return {};
    if (c.editingText) return {};
    if (modifiers & Qt::ControlModifier) {
        switch (key) {
        case Qt::Key_A: return {Command::selectAllText, {}};
        case Qt::Key_C: return {Command::copySelectedText, {}};
        case Qt::Key_Z: return {modifiers & Qt::ShiftModifier ? Command::redo : Command::undo, {}};
        default: return {};
        }
    }
    const int step = modifiers & Qt::ShiftModifier ? 10 : 1;
    switch (key) {
    case Qt::Key_Left: return {Command::nudge, {-step, 0}};
    case Qt::Key_Right: return {Command::nudge, {step, 0}};
    case Qt::Key_Up: return {Command::nudge, {0, -step}};
    case Qt::Key_Down: return {Command::nudge, {0, step}};
    default: break;
    }
    if (isReturn(key)) return {Command::primaryAction, {}};
    return {};
}

Decision viewKey(SelPhase phase, int key, Qt::KeyboardModifiers modifiers)
{
    if (phase == SelPhase::editing) return {isReturn(key) ? Command::primaryAction : Command::passOn, {}};
    if (isReturn(key)) return {Command::commitHighlightedWindow, {}};
    // Letters count only without Ctrl, Alt or the logo key; Shift is allowed.
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return {};
    switch (key) {
    case Qt::Key_F: return {Command::selectWholeScreen, {}};
    case Qt::Key_C: return {Command::colorPicker, {}};
    case Qt::Key_D: return {Command::delayedCapture, {}};
    case Qt::Key_R: return {Command::captureLastArea, {}};
    default: return {};
    }
}

}  // namespace klipo::SelKeys
