#include "GlobalShortcuts/SpecialKeys.h"

#include "GlobalShortcuts/Key.h"

#include <QKeySequence>

#include <algorithm>
#include <iterator>

namespace klipo::GlobalShortcuts {

namespace {

constexpr SpecialKey kSpecialKeys[] = {
    {Key::return_.rawValue, Qt::Key_Return, 0},
    {Key::delete_.rawValue, Qt::Key_Backspace, 0},
    {Key::deleteForward.rawValue, Qt::Key_Delete, 0},
    {Key::end.rawValue, Qt::Key_End, 0},
    {Key::escape.rawValue, Qt::Key_Escape, 0},
    {Key::help.rawValue, Qt::Key_Help, 0},
    {Key::home.rawValue, Qt::Key_Home, 0},
    {Key::space.rawValue, Qt::Key_Space, 0},
    {Key::tab.rawValue, Qt::Key_Tab, 0},
    {Key::pageUp.rawValue, Qt::Key_PageUp, 0},
    {Key::pageDown.rawValue, Qt::Key_PageDown, 0},
    {Key::upArrow.rawValue, Qt::Key_Up, 0},
    {Key::rightArrow.rawValue, Qt::Key_Right, 0},
    {Key::downArrow.rawValue, Qt::Key_Down, 0},
    {Key::leftArrow.rawValue, Qt::Key_Left, 0},
    {Key::f1.rawValue, Qt::Key_F1, 0},
    {Key::f2.rawValue, Qt::Key_F2, 0},
    {Key::f3.rawValue, Qt::Key_F3, 0},
    {Key::f4.rawValue, Qt::Key_F4, 0},
    {Key::f5.rawValue, Qt::Key_F5, 0},
    {Key::f6.rawValue, Qt::Key_F6, 0},
    {Key::f7.rawValue, Qt::Key_F7, 0},
    {Key::f8.rawValue, Qt::Key_F8, 0},
    {Key::f9.rawValue, Qt::Key_F9, 0},
    {Key::f10.rawValue, Qt::Key_F10, 0},
    {Key::f11.rawValue, Qt::Key_F11, 0},
    {Key::f12.rawValue, Qt::Key_F12, 0},
    {Key::f13.rawValue, Qt::Key_F13, 0},
    {Key::f14.rawValue, Qt::Key_F14, 0},
    {Key::f15.rawValue, Qt::Key_F15, 0},
    {Key::f16.rawValue, Qt::Key_F16, 0},
    {Key::f17.rawValue, Qt::Key_F17, 0},
    {Key::f18.rawValue, Qt::Key_F18, 0},
    {Key::f19.rawValue, Qt::Key_F19, 0},
    {Key::f20.rawValue, Qt::Key_F20, 0},
    {Key::keypad0.rawValue, 0, Qt::Key_0},
    {Key::keypad1.rawValue, 0, Qt::Key_1},
    {Key::keypad2.rawValue, 0, Qt::Key_2},
    {Key::keypad3.rawValue, 0, Qt::Key_3},
    {Key::keypad4.rawValue, 0, Qt::Key_4},
    {Key::keypad5.rawValue, 0, Qt::Key_5},
    {Key::keypad6.rawValue, 0, Qt::Key_6},
    {Key::keypad7.rawValue, 0, Qt::Key_7},
    {Key::keypad8.rawValue, 0, Qt::Key_8},
    {Key::keypad9.rawValue, 0, Qt::Key_9},
    {Key::keypadClear.rawValue, 0, Qt::Key_Clear},
    {Key::keypadDecimal.rawValue, 0, Qt::Key_Period},
    {Key::keypadDivide.rawValue, 0, Qt::Key_Slash},
    {Key::keypadEnter.rawValue, 0, Qt::Key_Enter},
    {Key::keypadEquals.rawValue, 0, Qt::Key_Equal},
    {Key::keypadMinus.rawValue, 0, Qt::Key_Minus},
    {Key::keypadMultiply.rawValue, 0, Qt::Key_Asterisk},
    {Key::keypadPlus.rawValue, 0, Qt::Key_Plus},
    {Key::printScreen.rawValue, Qt::Key_Print, 0},
    {Key::scrollLock.rawValue, Qt::Key_ScrollLock, 0},
    {Key::pause.rawValue, Qt::Key_Pause, 0},
    {Key::menu.rawValue, Qt::Key_Menu, 0},
};

}  // namespace

QString SpecialKey::presentableDescription() const
{
    // Keypad keys are named as Qt names them: Num+5.
    const QKeyCombination combination =
        qtKey ? QKeyCombination(Qt::Key(qtKey)) : QKeyCombination(Qt::KeypadModifier, Qt::Key(qtKeypadKey));
    return QKeySequence(combination).toString(QKeySequence::NativeText);
}

const SpecialKey* specialKey(qint64 keyCode)
{
    const auto* end = std::end(kSpecialKeys);
    const auto* it =
        std::find_if(std::begin(kSpecialKeys), end, [&](const SpecialKey& k) { return k.keyCode == keyCode; });
    return it == end ? nullptr : it;
}

const SpecialKey* specialKeysBegin() { return std::begin(kSpecialKeys); }
const SpecialKey* specialKeysEnd() { return std::end(kSpecialKeys); }

QString capitalisedCharacter(char32_t character)
{
    const char32_t title = QChar::toTitleCase(character);
    return QString::fromUcs4(&title, 1);
}

}  // namespace klipo::GlobalShortcuts
