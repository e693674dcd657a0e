// The shortcut warnings over the real shortcut store, a fake display (which
// combinations other programs hold) and a fake desktop (its key bindings).
#include "GlobalShortcuts/Fakes.h"
#include "PrefsFakes.h"
#include "platform/hotkeys/HotKeyPlatform.h"
#include "preferences/ShortcutConflictChecker.h"

#include <gtest/gtest.h>

#include <QHash>

using namespace klipo;
using namespace klipo::GlobalShortcuts;
namespace Checker = klipo::ShortcutConflictChecker;

namespace {

constexpr auto kCtrl = Qt::ControlModifier;
constexpr auto kCtrlShift = Qt::ControlModifier | Qt::ShiftModifier;

class ConflictChecker : public ::testing::Test {
protected:
    ConflictChecker() { test::clearProgramShortcuts(); }
    ~ConflictChecker() override { test::clearProgramShortcuts(); }

    static QString checked(const Shortcut& s, std::optional<Name> excluding = std::nullopt)
    {
        return Checker::check(s, excluding).value_or(QString());
    }

    test::FakeHotKeyService display;
    platform::ScopedHotKeyPlatform displayScope{&display, nullptr};
    test::FakeDesktopShortcuts desktop;
    platform::ScopedDesktopShortcuts desktopScope{&desktop};
    QObject context;  // the hot-key actions live while it does; goes first
};

}  // namespace

TEST_F(ConflictChecker, keysWithoutARealModifier_AreReportedBeforeAnythingElse_FunctionKeysPass)
{
    const Shortcut shiftA(Key::a, Qt::ShiftModifier);
    EXPECT_TRUE(checked(shiftA).startsWith(shiftA.description() + QStringLiteral(" 只带 Shift 修饰键。")));
    // Digits and punctuation are no capital letters: the text speaks of the key.
    EXPECT_TRUE(checked(Shortcut(Key::one, Qt::ShiftModifier)).contains(QStringLiteral("按这个键")));
    const Shortcut bareA(Key::a, Qt::NoModifier);
    EXPECT_TRUE(checked(bareA).startsWith(bareA.description() + QStringLiteral(" 没有修饰键。")));
    // The function (globe) flag is no real modifier.
    EXPECT_TRUE(checked(Shortcut(Key::a.rawValue, Modifier::function)).contains(QStringLiteral("没有修饰键")));
    // A bare function key passes the first test; nothing else fires here.
    EXPECT_EQ(Checker::check(Shortcut(Key::f5, Qt::NoModifier)), std::nullopt);
    // A plain key is reported even when another item shares it.
    setShortcut(bareA, Name::colorPicker());
    EXPECT_TRUE(checked(bareA, Name::pinFromClipboard()).contains(QStringLiteral("没有修饰键")));
}

TEST_F(ConflictChecker, twoItemsOnOneCombination_NameEachOther_AndClearingOneEndsBoth)
{
    const Shortcut ctrlAltK(Key::k, kCtrl | Qt::AltModifier);
    setShortcut(ctrlAltK, Name::delayedCapture());
    setShortcut(ctrlAltK, Name::colorPicker());
    const QList<Checker::Conflict> both = Checker::allConflicts();
    ASSERT_EQ(both.size(), 2);
    EXPECT_EQ(both[0].title, QStringLiteral("延时截图"));
    EXPECT_EQ(both[0].message, ctrlAltK.description() + QStringLiteral(" 与本应用的「屏幕取色器」重复，两者只会有一个生效。请改用别的组合。"));
    EXPECT_EQ(both[1].title, QStringLiteral("屏幕取色器"));
    EXPECT_TRUE(both[1].message.contains(QStringLiteral("「延时截图」")));

    // Without an excluded name the owner counts too: only a third one makes it a duplicate.
    EXPECT_EQ(Checker::check(ctrlAltK), ctrlAltK.description() +
                                            QStringLiteral(" 与本应用的「延时截图、屏幕取色器」重复，两者只会有一个生效。请改用别的组合。"));
    setShortcut(std::nullopt, Name::colorPicker());
    EXPECT_TRUE(Checker::allConflicts().isEmpty());
    EXPECT_EQ(Checker::check(ctrlAltK), std::nullopt);

    // Shift counts, the Fn flag does not.
    setShortcut(Shortcut(Key::a, kCtrl), Name::delayedCapture());
    setShortcut(Shortcut(Key::a, kCtrlShift), Name::colorPicker());
    setShortcut(Shortcut(Key::a.rawValue, Modifier::control | Modifier::shift | Modifier::function),
                Name::repeatLastArea());
    QStringList titles;
    for (const auto& c : Checker::allConflicts())
        if (c.message.contains(QStringLiteral("重复"))) titles << c.title;
    EXPECT_EQ(titles, (QStringList{QStringLiteral("重复上次区域"), QStringLiteral("屏幕取色器")}));
}

// The warning said only one of two items on a combination would work, yet a
// press ran both. Exactly one runs, the warning names it, and the other takes
// over once the first lets the combination go.
TEST_F(ConflictChecker, twoItemsOnOneCombination_APressRunsOne_WhichTheWarningNames)
{
    const Shortcut ctrlAltK(Key::k, kCtrl | Qt::AltModifier);
    QHash<QString, int> runs;
    for (const Name* name : {&Name::delayedCapture(), &Name::colorPicker()})
        onKeyDown(*name, &context, [&runs, raw = name->rawValue()] { ++runs[raw]; });
    setShortcut(ctrlAltK, Name::delayedCapture());
    setShortcut(ctrlAltK, Name::colorPicker());
    const QString runner = nameRunBy(ctrlAltK).value_or(QString());
    ASSERT_TRUE(runner == Name::delayedCapture().rawValue() || runner == Name::colorPicker().rawValue());
    const Name& other = runner == Name::colorPicker().rawValue() ? Name::delayedCapture() : Name::colorPicker();
    display.press(ctrlAltK.combination());
    EXPECT_EQ(runs, (QHash<QString, int>{{runner, 1}}));
    EXPECT_EQ(registration(other).state, Registration::State::duplicate);
    EXPECT_EQ(registration(other).heldBy, runner);
    const QString said = QStringLiteral("按下时只会执行「%1」").arg(*Checker::titleFor(runner));
    const QList<Checker::Conflict> conflicts = Checker::allConflicts();
    ASSERT_EQ(conflicts.size(), 2);
    for (const Checker::Conflict& conflict : conflicts)
        EXPECT_TRUE(conflict.message.contains(said)) << qPrintable(conflict.message);

    setShortcut(std::nullopt, *Checker::nameFor(runner));
    display.press(ctrlAltK.combination());
    EXPECT_EQ(runs.value(other.rawValue()), 1);
    EXPECT_EQ(registration(other).state, Registration::State::registered);
}

TEST_F(ConflictChecker, combinationAnotherProgramHolds_IsNamedFromTheDesktopWhereItCan)
{
    const Shortcut altTab(Key::tab, Qt::AltModifier);
    const Shortcut ctrlAltJ(Key::j, kCtrl | Qt::AltModifier);
    const Shortcut superE(Key::e, Qt::MetaModifier);
    display.takenByOthers = {altTab.combination(), ctrlAltJ.combination()};
    desktop.bindings = {QStringLiteral("Openbox"),
                        {{altTab.combination(), QStringLiteral("切换到下一个窗口")},
                         {superE.combination(), QStringLiteral("运行 kfmclient")}}};

    EXPECT_EQ(checked(altTab), altTab.description() +
                                   QStringLiteral(" 已被 Openbox 的「切换到下一个窗口」占用，按下时不会触发截图。"
                                                  "请换一个组合，或到桌面环境的键盘快捷键设置里关掉它。"));
    EXPECT_TRUE(checked(ctrlAltJ).contains(QStringLiteral("已被另一个程序占用")));
    // Known only from the desktop's settings: only "may be".
    EXPECT_TRUE(checked(superE).startsWith(superE.description() + QStringLiteral(" 可能已被 Openbox 的「运行 kfmclient」占用")));
    // A duplicate comes before the display: only its text is given.
    setShortcut(altTab, Name::delayedCapture());
    setShortcut(altTab, Name::colorPicker());
    EXPECT_TRUE(checked(altTab, Name::colorPicker()).contains(QStringLiteral("重复")));
}

TEST_F(ConflictChecker, combinationWeHold_IsNeverProbed_AndARefusedRegistrationReportsTaken)
{
    const Shortcut ctrlAltY(Key::y, kCtrl | Qt::AltModifier);
    setShortcut(ctrlAltY, Name::colorPicker());
    ASSERT_EQ(onKeyDown(Name::colorPicker(), &context, [] {}).state, Registration::State::registered);
    // Even listed by the desktop, a combination we hold works: nothing to say, no test grab.
    desktop.bindings = {QStringLiteral("Openbox"), {{ctrlAltY.combination(), QStringLiteral("显示菜单")}}};
    display.takenByOthers = {ctrlAltY.combination()};  // a probe would now say "taken"
    EXPECT_EQ(Checker::check(ctrlAltY, Name::colorPicker()), std::nullopt);
    EXPECT_TRUE(Checker::allConflicts().isEmpty());

    // Another program held it when the name registered: the refusal is reported.
    const Shortcut ctrlAltU(Key::u, kCtrl | Qt::AltModifier);
    display.takenByOthers = {ctrlAltU.combination()};
    setShortcut(ctrlAltU, Name::colorPicker());
    ASSERT_EQ(registration(Name::colorPicker()).state, Registration::State::taken);
    display.takenByOthers.clear();  // refusal stands until the name registers again
    const QList<Checker::Conflict> conflicts = Checker::allConflicts();
    ASSERT_EQ(conflicts.size(), 1);
    EXPECT_TRUE(conflicts[0].message.contains(QStringLiteral("已被另一个程序占用")));
    EXPECT_EQ(desktop.reads, 1) << "one reading of the desktop per refresh";
}

TEST_F(ConflictChecker, commonCommand_IsExactlyCtrlPlusItsKey)
{
    const Shortcut ctrlQ(Key::q, kCtrl);
    EXPECT_TRUE(checked(ctrlQ).startsWith(ctrlQ.description() + " 是几乎所有应用都在用的「退出应用（Ctrl+Q）」"));
    EXPECT_EQ(Checker::check(Shortcut(Key::q, kCtrlShift)), std::nullopt);
    EXPECT_EQ(Checker::check(Shortcut(Key::q, kCtrl | Qt::AltModifier)), std::nullopt);
    EXPECT_EQ(Checker::check(Shortcut(Key::q, Qt::MetaModifier)), std::nullopt);
}
