// The shortcut value, its JSON form, its display texts and key equivalents.
#include "GlobalShortcuts/GlobalShortcuts.h"
#include "GlobalShortcuts/Texts.h"
#include "Fakes.h"

#include "platform/hotkeys/AutoRepeatFilter.h"
#include "platform/hotkeys/HotKeyPlatform.h"
#include "platform/hotkeys/KeyPositions.h"

#include <gtest/gtest.h>

#include <QSet>

using namespace klipo;
using namespace klipo::GlobalShortcuts;

namespace {

constexpr auto kControlShift = Qt::ControlModifier | Qt::ShiftModifier;

QString ucs4(std::initializer_list<char32_t> codes) { return QString::fromUcs4(codes.begin(), codes.size()); }

class ShortcutModel : public ::testing::Test {
protected:
    test::FakeKeyboardLayout layout;
    platform::ScopedHotKeyPlatform scope{nullptr, &layout};
};

}  // namespace

TEST_F(ShortcutModel, constructors_KeepOnlyTheFiveModifierBits)
{
    const Shortcut controlShiftT(Key::t, kControlShift);
    EXPECT_EQ(controlShiftT.carbonKeyCode, 17);
    EXPECT_EQ(controlShiftT.carbonModifiers, 0x1200);
    // Keypad and Caps Lock are no modifiers of a shortcut.
    EXPECT_EQ(Shortcut(Key::a, Qt::MetaModifier | Qt::KeypadModifier).carbonModifiers, Modifier::command);
    EXPECT_EQ(Shortcut(0, 0xFFFF).carbonModifiers, 0x1B00);
    EXPECT_EQ(Shortcut(0, 0x20000 | 0x400).carbonModifiers, Modifier::function);
}

TEST_F(ShortcutModel, json_RoundTripsInAnyMemberOrder_AndRejectsWhatIsNoShortcut)
{
    const Shortcut controlShiftT(Key::t, kControlShift);
    EXPECT_EQ(controlShiftT.toJson(), QByteArray(R"({"carbonKeyCode":17,"carbonModifiers":4608})"));
    EXPECT_EQ(Shortcut::fromJson(controlShiftT.toJson()), controlShiftT);
    EXPECT_EQ(Shortcut::fromJson(R"({"carbonModifiers":256,"carbonKeyCode":9,"note":"x"})"),
              Shortcut(Key::v, Qt::MetaModifier));
    for (const char* bad : {"17", R"({"carbonKeyCode":17})", R"({"carbonModifiers":4608})",
                            R"({"carbonKeyCode":"17","carbonModifiers":4608})",
                            R"({"carbonKeyCode":17.5,"carbonModifiers":4608})",
                            R"({"carbonKeyCode":1e300,"carbonModifiers":4608})", "not json", ""}) {
        EXPECT_FALSE(Shortcut::fromJson(bad)) << bad;
    }
}

TEST_F(ShortcutModel, decoding_DropsStrayModifierBits_SoAHandEditedValueStillMatches)
{
    // Caps Lock (0x400) and an unknown high bit written by hand next to Control-Shift.
    const auto decoded = Shortcut::fromJson(R"({"carbonKeyCode":17,"carbonModifiers":5632})");
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, Shortcut(Key::t, kControlShift));
    EXPECT_EQ(Shortcut::fromJson(R"({"carbonKeyCode":17,"carbonModifiers":1053184})"), Shortcut(Key::t, kControlShift));
}

TEST_F(ShortcutModel, description_ShowsModifierGlyphsInFixedOrder_ThenTheKey)
{
    EXPECT_EQ(Shortcut(Key::t, kControlShift).description(), QStringLiteral("⌃⇧T"));
    EXPECT_EQ(Shortcut(Key::f12, Qt::MetaModifier).description(), QStringLiteral("⌘F12"));
    EXPECT_EQ(Shortcut(Key::f1.rawValue, Modifier::all).description(),
              QStringLiteral("⌃⌥⇧⌘") + ucs4({0x1F310, 0xFE0E}) + QStringLiteral("F1"));
    EXPECT_EQ(Shortcut(Key::space, Qt::AltModifier).description(), QStringLiteral("⌥空格"));
    EXPECT_EQ(Shortcut(Key::keypad5, {}).description(), QStringLiteral("5⃣"));
    EXPECT_EQ(Shortcut(Key::help, {}).description(), QStringLiteral("?⃝"));
    EXPECT_EQ(Shortcut(Key::return_, Qt::ControlModifier).description(), QStringLiteral("⌃↩"));
    EXPECT_EQ(Shortcut(Key::keypadEnter, {}).description(), QStringLiteral("↩⃣"));
}

TEST_F(ShortcutModel, description_UsesTheLayoutsCharacter_OrTheReplacementCharacter)
{
    layout.characters[Key::y.rawValue] = U'z';  // a German layout swaps Y and Z
    layout.characters[Key::semicolon.rawValue] = U'ö';
    layout.characters[Key::minus.rawValue] = U'ß';
    layout.characters[Key::q.rawValue] = 0;  // a key this layout types nothing on
    EXPECT_EQ(Shortcut(Key::y, Qt::ControlModifier).description(), QStringLiteral("⌃Z"));
    EXPECT_EQ(Shortcut(Key::semicolon, Qt::ControlModifier).description(), QStringLiteral("⌃Ö"));
    EXPECT_EQ(Shortcut(Key::minus, Qt::ControlModifier).description(), QStringLiteral("⌃ß"));
    EXPECT_EQ(Shortcut(Key::q, Qt::MetaModifier).description(), QStringLiteral("⌘\uFFFD"));
    EXPECT_EQ(Shortcut(1000, Modifier::command).description(), QStringLiteral("⌘\uFFFD"));
    EXPECT_EQ(Shortcut(-1, 0).description(), QStringLiteral("\uFFFD"));
    EXPECT_EQ(Shortcut(Key::mute, {}).description(), QStringLiteral("\uFFFD"));
}

TEST_F(ShortcutModel, keySequence_GivesTheMenuKeyText_OrNoneForKeypadAndUntypedKeys)
{
    EXPECT_EQ(Shortcut(Key::t, kControlShift).keySequence(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T));
    EXPECT_EQ(Shortcut(Key::k, Qt::MetaModifier | Qt::AltModifier).keySequence(),
              QKeySequence(Qt::META | Qt::ALT | Qt::Key_K));
    EXPECT_EQ(Shortcut(Key::space, Qt::AltModifier).keySequence(), QKeySequence(Qt::ALT | Qt::Key_Space));
    EXPECT_EQ(Shortcut(Key::f20, {}).keySequence(), QKeySequence(Qt::Key_F20));
    EXPECT_EQ(Shortcut(Key::delete_, Qt::MetaModifier).keySequence(), QKeySequence(Qt::META | Qt::Key_Backspace));
    EXPECT_TRUE(Shortcut(Key::keypad5, Qt::ControlModifier).keySequence().isEmpty());
    layout.characters[Key::y.rawValue] = U'z';
    EXPECT_EQ(Shortcut(Key::y, Qt::ControlModifier).keySequence(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    layout.characters[Key::q.rawValue] = 0;
    EXPECT_TRUE(Shortcut(Key::q, Qt::ControlModifier).keySequence().isEmpty());
}

TEST_F(ShortcutModel, keyPositions_NameEachKeyOnce_AndMapBackToTheirCodes)
{
    QSet<qint64> codes;
    QSet<QByteArray> names;
    for (const platform::KeyPosition& position : platform::keyPositions()) {
        EXPECT_FALSE(codes.contains(position.keyCode)) << position.keyCode;
        codes.insert(position.keyCode);
        if (!position.xkbName) continue;
        EXPECT_FALSE(names.contains(position.xkbName)) << position.xkbName;
        names.insert(position.xkbName);
        EXPECT_EQ(platform::keyCodeForXkbName(position.xkbName, 4), position.keyCode) << position.xkbName;
    }
    EXPECT_FALSE(platform::keyCodeForXkbName("XXXX", 4));
}

TEST_F(ShortcutModel, texts_AreCompiledIn_AndAMissingTextShowsItsKey)
{
    EXPECT_EQ(uiText("space_key"), QStringLiteral("空格"));
    EXPECT_EQ(uiText("keyboard_shortcut_used_by_menu_item").arg(QStringLiteral("截图翻译")),
              QStringLiteral("此快捷键已被菜单项「截图翻译」使用。"));
    EXPECT_EQ(uiText("no_such_text"), QStringLiteral("no_such_text"));
}

TEST(AutoRepeatFilter, heldKeyRunsOnce_WhetherRepeatsComeAsPairsOrAsPressesAlone)
{
    platform::AutoRepeatFilter filter(700);
    // Press/release pairs sharing a time stamp.
    EXPECT_FALSE(filter.pressIsRepeat(28, 1000));
    filter.released(28, 1500);
    EXPECT_TRUE(filter.pressIsRepeat(28, 1500));
    filter.released(28, 1530);
    EXPECT_TRUE(filter.pressIsRepeat(28, 1530));
    filter.released(28, 1600);
    EXPECT_FALSE(filter.pressIsRepeat(28, 1650));  // a real second press
    filter.released(28, 1700);
    // Presses without releases (detectable auto-repeat).
    EXPECT_FALSE(filter.pressIsRepeat(28, 5000));
    EXPECT_TRUE(filter.pressIsRepeat(28, 5600));
    EXPECT_TRUE(filter.pressIsRepeat(28, 5630));
    // The release went to another grab: a press long after is a new one.
    EXPECT_FALSE(filter.pressIsRepeat(28, 9000));
    // Other keys are counted apart, and the server clock may wrap.
    EXPECT_FALSE(filter.pressIsRepeat(41, 9010));
    EXPECT_FALSE(filter.pressIsRepeat(30, 0xFFFFFF00u));
    EXPECT_TRUE(filter.pressIsRepeat(30, 0x40u));
}
