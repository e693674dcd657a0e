// The shortcut value, its JSON form, its display texts and key equivalents.
#include "GlobalShortcuts/GlobalShortcuts.h"
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

TEST_F(ShortcutModel, json_RoundTripsInAnyMemberOrder_DropsStrayModifierBits_AndRejectsWhatIsNoShortcut)
{
    const Shortcut controlShiftT(Key::t, kControlShift);
    EXPECT_EQ(controlShiftT.toJson(), QByteArray(R"({"carbonKeyCode":17,"carbonModifiers":4608})"));
    EXPECT_EQ(Shortcut::fromJson(controlShiftT.toJson()), controlShiftT);
    EXPECT_EQ(Shortcut::fromJson(R"({"carbonModifiers":256,"carbonKeyCode":9,"note":"x"})"),
              Shortcut(Key::v, Qt::MetaModifier));
    // Caps Lock and an unknown high bit written by hand: the value still matches.
    EXPECT_EQ(Shortcut::fromJson(R"({"carbonKeyCode":17,"carbonModifiers":1054208})"), controlShiftT);
    EXPECT_EQ(Shortcut(Key::a, Qt::MetaModifier | Qt::KeypadModifier).carbonModifiers, Modifier::command);
    for (const char* bad : {"17", R"({"carbonKeyCode":17})", R"({"carbonKeyCode":"17","carbonModifiers":4608})",
                            R"({"carbonKeyCode":17.5,"carbonModifiers":4608})",
                            R"({"carbonKeyCode":1e300,"carbonModifiers":4608})", "not json"}) {
        EXPECT_FALSE(Shortcut::fromJson(bad)) << bad;
    }
}

TEST_F(ShortcutModel, texts_ShowGlyphsInFixedOrder_AndTheLayoutsCharacterOrTheReplacementCharacter)
{
    EXPECT_EQ(Shortcut(Key::t, kControlShift).description(), QStringLiteral("⌃⇧T"));
    EXPECT_EQ(Shortcut(Key::f1.rawValue, Modifier::all).description(),
              QStringLiteral("⌃⌥⇧⌘") + ucs4({0x1F310, 0xFE0E}) + QStringLiteral("F1"));
    EXPECT_EQ(Shortcut(Key::space, Qt::AltModifier).description(), QStringLiteral("⌥空格"));
    EXPECT_EQ(Shortcut(Key::keypad5, {}).description(), QStringLiteral("5⃣"));

    layout.characters[Key::y.rawValue] = U'z';  // a German layout swaps Y and Z
    layout.characters[Key::semicolon.rawValue] = U'ö';
    layout.characters[Key::q.rawValue] = 0;  // a key this layout types nothing on
    EXPECT_EQ(Shortcut(Key::y, Qt::ControlModifier).description(), QStringLiteral("⌃Z"));
    EXPECT_EQ(Shortcut(Key::semicolon, Qt::ControlModifier).description(), QStringLiteral("⌃Ö"));
    EXPECT_EQ(Shortcut(Key::q, Qt::MetaModifier).description(), QStringLiteral("⌘\uFFFD"));
    EXPECT_EQ(Shortcut(1000, Modifier::command).description(), QStringLiteral("⌘\uFFFD"));

    // Menu key texts follow the layout too; keypad and untyped keys get none.
    EXPECT_EQ(Shortcut(Key::t, kControlShift).keySequence(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T));
    EXPECT_EQ(Shortcut(Key::delete_, Qt::MetaModifier).keySequence(), QKeySequence(Qt::META | Qt::Key_Backspace));
    EXPECT_EQ(Shortcut(Key::y, Qt::ControlModifier).keySequence(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_TRUE(Shortcut(Key::keypad5, Qt::ControlModifier).keySequence().isEmpty());
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
