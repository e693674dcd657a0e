// Reading the desktops' own key bindings: Openbox's rc.xml, KDE's
// kglobalshortcutsrc and GNOME's gsettings listing, into stored combinations.
#include "GlobalShortcuts/Shortcut.h"
#include "platform/hotkeys/DesktopKeyBindings.h"
#include "platform/hotkeys/DesktopShortcuts.h"

#include <gtest/gtest.h>

using namespace klipo;
using GlobalShortcuts::Key;
using GlobalShortcuts::Shortcut;

namespace {

QStringList described(const QList<platform::DesktopKeyBinding>& bindings)
{
    QStringList out;
    for (const auto& b : bindings)
        out << Shortcut(b.combination.keyCode, b.combination.modifiers).description() + QLatin1Char('=') + b.action;
    return out;
}

QString d(Key key, Qt::KeyboardModifiers modifiers) { return Shortcut(key, modifiers).description(); }

}  // namespace

TEST(DesktopKeyBindings, openbox_ReadsEachKeybindByItsFirstKeyAndFirstAction)
{
    const QByteArray rc = R"(<?xml version="1.0"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
<keyboard>
  <chainQuitKey>C-g</chainQuitKey>
  <keybind key="A-Tab"><action name="NextWindow"><finalactions><action name="Focus"/></finalactions></action></keybind>
  <keybind key="W-e"><action name="Execute"><command>kfmclient openProfile   filemanagement</command></action></keybind>
  <keybind key="C-a b"><keybind key="x"><action name="Close"/></keybind></keybind>
  <keybind key="S-A-Left"><action name="SendToDesktop"><to>left</to></action></keybind>
  <keybind key="Mod3-z"><action name="Close"/></keybind>
  <keybind key="A-Print"><action name="Execute"><command>scrot -s</command></action></keybind>
  <keybind key="C-A-F2"><action name="MysteryAction"/></keybind>
</keyboard>
</openbox_config>)";
    EXPECT_EQ(described(platform::parseOpenboxKeyBindings(rc)),
              (QStringList{d(Key::tab, Qt::AltModifier) + "=切换到下一个窗口",
                           d(Key::e, Qt::MetaModifier) + "=运行 kfmclient openProfile filemanagement",
                           d(Key::a, Qt::ControlModifier) + "=关闭窗口",
                           d(Key::leftArrow, Qt::ShiftModifier | Qt::AltModifier) + "=把窗口移到另一个桌面",
                           d(Key::printScreen, Qt::AltModifier) + "=运行 scrot -s",
                           d(Key::f2, Qt::ControlModifier | Qt::AltModifier) + "=MysteryAction"}));
    EXPECT_TRUE(platform::parseOpenboxKeyBindings("<not xml").isEmpty());
}

TEST(DesktopKeyBindings, kdeAndGnome_ReadEveryAssignedShortcut)
{
    const QByteArray kde = "[kwin]\n"
                           "_k_friendly_name=KWin\n"
                           "Walk Through Windows=Alt+Tab\\tMeta+Tab,Alt+Tab,Walk Through Windows\n"
                           "Window Close=none,Alt+F4,Close Window\n"
                           "Custom Thing=Ctrl+Alt+T,none,Open a terminal, fast\n"
                           "[org.kde.spectacle.desktop]\n"
                           "RectangularRegionScreenShot=Meta+Shift+Print,Meta+Shift+Print,Capture Rectangular Region\n";
    EXPECT_EQ(described(platform::parseKdeGlobalShortcuts(kde)),
              (QStringList{d(Key::tab, Qt::AltModifier) + "=切换窗口", d(Key::tab, Qt::MetaModifier) + "=切换窗口",
                           d(Key::t, Qt::ControlModifier | Qt::AltModifier) + "=Open a terminal, fast",
                           d(Key::printScreen, Qt::MetaModifier | Qt::ShiftModifier) + "=截取矩形区域"}));

    const QString gnome = "org.gnome.desktop.wm.keybindings switch-applications ['<Super>Tab', '<Alt>Tab']\n"
                          "org.gnome.desktop.wm.keybindings switch-to-workspace-left ['<Super>Page_Up', "
                          "'<Control><Alt>Left']\n"
                          "org.gnome.desktop.wm.keybindings minimize @as []\n"
                          "org.gnome.settings-daemon.plugins.media-keys terminal '<Primary><Alt>t'\n"
                          "org.gnome.settings-daemon.plugins.media-keys screensaver ['disabled']\n";
    EXPECT_EQ(described(platform::parseGnomeKeyBindings(gnome)),
              (QStringList{d(Key::tab, Qt::MetaModifier) + "=切换应用程序", d(Key::tab, Qt::AltModifier) + "=切换应用程序",
                           d(Key::pageUp, Qt::MetaModifier) + "=切换到左边的工作区",
                           d(Key::leftArrow, Qt::ControlModifier | Qt::AltModifier) + "=切换到左边的工作区",
                           d(Key::t, Qt::ControlModifier | Qt::AltModifier) + "=打开终端"}));

    EXPECT_EQ(platform::desktopFamily("Openbox", ""), "Openbox");
    EXPECT_EQ(platform::desktopFamily("KWin", "KDE"), "KDE");
    EXPECT_EQ(platform::desktopFamily("", "ubuntu:GNOME"), "GNOME");
    EXPECT_EQ(platform::desktopFamily("xfwm4", "XFCE"), "");
}
