#include "GlobalShortcuts/SpecialKeys.h"

#include "GlobalShortcuts/Key.h"
#include "GlobalShortcuts/Texts.h"

#include <algorithm>
#include <iterator>

namespace klipo::GlobalShortcuts {

namespace {

constexpr SpecialKey kSpecialKeys[] = {
    {Key::return_.rawValue, u"\u21A9", Qt::Key_Return, 0},
    {Key::delete_.rawValue, u"\u232B", Qt::Key_Backspace, 0},
    {Key::deleteForward.rawValue, u"\u2326", Qt::Key_Delete, 0},
    {Key::end.rawValue, u"\u2198", Qt::Key_End, 0},
    {Key::escape.rawValue, u"\u238B", Qt::Key_Escape, 0},
    {Key::help.rawValue, u"?\u20DD", Qt::Key_Help, 0},
    {Key::home.rawValue, u"\u2196", Qt::Key_Home, 0},
    {Key::space.rawValue, nullptr, Qt::Key_Space, 0},
    {Key::tab.rawValue, u"\u21E5", Qt::Key_Tab, 0},
    {Key::pageUp.rawValue, u"\u21DE", Qt::Key_PageUp, 0},
    {Key::pageDown.rawValue, u"\u21DF", Qt::Key_PageDown, 0},
    {Key::upArrow.rawValue, u"\u2191", Qt::Key_Up, 0},
    {Key::rightArrow.rawValue, u"\u2192", Qt::Key_Right, 0},
    {Key::downArrow.rawValue, u"\u2193", Qt::Key_Down, 0},
    {Key::leftArrow.rawValue, u"\u2190", Qt::Key_Left, 0},
    {Key::f1.rawValue, u"F1", Qt::Key_F1, 0},
    {Key::f2.rawValue, u"F2", Qt::Key_F2, 0},
    {Key::f3.rawValue, u"F3", Qt::Key_F3, 0},
    {Key::f4.rawValue, u"F4", Qt::Key_F4, 0},
    {Key::f5.rawValue, u"F5", Qt::Key_F5, 0},
    {Key::f6.rawValue, u"F6", Qt::Key_F6, 0},
    {Key::f7.rawValue, u"F7", Qt::Key_F7, 0},
    {Key::f8.rawValue, u"F8", Qt::Key_F8, 0},
    {Key::f9.rawValue, u"F9", Qt::Key_F9, 0},
    {Key::f10.rawValue, u"F10", Qt::Key_F10, 0},
    {Key::f11.rawValue, u"F11", Qt::Key_F11, 0},
    {Key::f12.rawValue, u"F12", Qt::Key_F12, 0},
    {Key::f13.rawValue, u"F13", Qt::Key_F13, 0},
    {Key::f14.rawValue, u"F14", Qt::Key_F14, 0},
    {Key::f15.rawValue, u"F15", Qt::Key_F15, 0},
    {Key::f16.rawValue, u"F16", Qt::Key_F16, 0},
    {Key::f17.rawValue, u"F17", Qt::Key_F17, 0},
    {Key::f18.rawValue, u"F18", Qt::Key_F18, 0},
    {Key::f19.rawValue, u"F19", Qt::Key_F19, 0},
    {Key::f20.rawValue, u"F20", Qt::Key_F20, 0},
    {Key::keypad0.rawValue, u"0\u20E3", 0, Qt::Key_0},
    {Key::keypad1.rawValue, u"1\u20E3", 0, Qt::Key_1},
    {Key::keypad2.rawValue, u"2\u20E3", 0, Qt::Key_2},
    {Key::keypad3.rawValue, u"3\u20E3", 0, Qt::Key_3},
    {Key::keypad4.rawValue, u"4\u20E3", 0, Qt::Key_4},
    {Key::keypad5.rawValue, u"5\u20E3", 0, Qt::Key_5},
    {Key::keypad6.rawValue, u"6\u20E3", 0, Qt::Key_6},
    {Key::keypad7.rawValue, u"7\u20E3", 0, Qt::Key_7},
    {Key::keypad8.rawValue, u"8\u20E3", 0, Qt::Key_8},
    {Key::keypad9.rawValue, u"9\u20E3", 0, Qt::Key_9},
    {Key::keypadClear.rawValue, u"\u2612\u20E3", 0, Qt::Key_Clear},
    {Key::keypadDecimal.rawValue, u".\u20E3", 0, Qt::Key_Period},
    {Key::keypadDivide.rawValue, u"/\u20E3", 0, Qt::Key_Slash},
    {Key::keypadEnter.rawValue, u"\u21A9\u20E3", 0, Qt::Key_Enter},
    {Key::keypadEquals.rawValue, u"=\u20E3", 0, Qt::Key_Equal},
    {Key::keypadMinus.rawValue, u"-\u20E3", 0, Qt::Key_Minus},
    {Key::keypadMultiply.rawValue, u"*\u20E3", 0, Qt::Key_Asterisk},
    {Key::keypadPlus.rawValue, u"+\u20E3", 0, Qt::Key_Plus},
};

}  // namespace

QString SpecialKey::presentableDescription() const
{
    if (!glyph) {
        const QString space = uiText("space_key");
        return space.isEmpty() ? space : space.left(1).toUpper() + space.mid(1);
    }
    return QString::fromUtf16(glyph);
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
