#include "preferences/PrefsGeneralTab.h"

#include "app/Appearance.h"
#include "app/PrefsInterfaceLanguage.h"
#include "app/Settings.h"
#include "app/SettingsKeys.h"
#include "platform/LoginItem.h"
#include "platform/SettingsStore.h"
#include "preferences/PrefsIcons.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>

namespace klipo {

namespace {

QString themeTitle(PrefsAppearanceTheme theme)
{
    switch (theme) {
    case PrefsAppearanceTheme::system: return QStringLiteral("跟随系统");
    case PrefsAppearanceTheme::light: return QStringLiteral("浅色");
    case PrefsAppearanceTheme::dark: break;
    }
    return QStringLiteral("深色");
}

QString storedInterfaceLanguage()
{
    const QJsonValue v = platform::SettingsStore::shared().value(SettingsKey::interfaceLanguage);
    return v.isString() ? v.toString() : QString();
}

}  // namespace

PrefsGeneralTab::PrefsGeneralTab(QWidget* parent) : PrefsForm::Page(parent)
{
    PrefsForm::Section* start = addSection(QStringLiteral("启动"));
    m_launchAtLogin = new QCheckBox(QStringLiteral("登录时自动启动"), start);
    m_launchAtLogin->setChecked(platform::LoginItem::isEnabled());
    connect(m_launchAtLogin, &QCheckBox::toggled, this, &PrefsGeneralTab::updateLaunchAtLogin);
    start->addRow(m_launchAtLogin);
    m_launchError = PrefsForm::note(QString(), start);
    PrefsForm::setTextColor(m_launchError, PrefsForm::errorColor());
    m_launchError->hide();
    start->addRow(m_launchError);

    m_menuBarOnly = PrefsForm::boolSwitch(QStringLiteral("仅在托盘显示（启动时不打开主窗口）"),
                                          SettingsKey::menuBarOnly, &Settings::menuBarOnly, start);
    connect(m_menuBarOnly, &QCheckBox::toggled, this, &PrefsGeneralTab::showRestartNote);
    start->addRow(m_menuBarOnly);
    start->addNote(QStringLiteral("关闭时是常规应用：启动时打开主窗口，任务栏里有它的按钮。"));

    PrefsForm::Section* look = addSection(QStringLiteral("外观"));
    m_appearance = new QComboBox(look);
    for (PrefsAppearanceTheme theme : allCases<PrefsAppearanceTheme>())
        m_appearance->addItem(themeTitle(theme), rawValue(theme));
    m_appearance->setCurrentIndex(int(allCases<PrefsAppearanceTheme>().indexOf(Settings::appearanceTheme())));
    connect(m_appearance, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0) return;
        PrefsForm::store(SettingsKey::appearanceTheme, m_appearance->itemData(index).toString());
        applyAppearance(Settings::appearanceTheme());
    });
    PrefsForm::follow(m_appearance, {SettingsKey::appearanceTheme}, [this] {
        const QSignalBlocker quiet(m_appearance);  // taken in, not written back
        m_appearance->setCurrentIndex(int(allCases<PrefsAppearanceTheme>().indexOf(Settings::appearanceTheme())));
        applyAppearance(Settings::appearanceTheme());
    });
    look->addRow(QStringLiteral("外观主题："), m_appearance);

    m_language = new QComboBox(look);
    for (const PrefsInterfaceLanguage::Option& option : PrefsInterfaceLanguage::options())
        m_language->addItem(option.name, option.code);
    // A stored code that is none of the choices leaves the picker without a selection.
    m_language->setCurrentIndex(m_language->findData(storedInterfaceLanguage()));
    connect(m_language, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0) return;
        PrefsInterfaceLanguage::apply(m_language->itemData(index).toString());
        showRestartNote();
    });
    PrefsForm::follow(m_language, {SettingsKey::interfaceLanguage}, [this] {
        const QSignalBlocker quiet(m_language);
        m_language->setCurrentIndex(m_language->findData(storedInterfaceLanguage()));
    });
    look->addRow(QStringLiteral("界面语言："), m_language);
    look->addNote(QStringLiteral("界面语言决定系统对话框（如文件选择、按钮）使用的语言；本应用自己的文字始终是简体中文。"));

    m_restartNote = new QWidget(this);
    auto* noteRow = new QHBoxLayout(m_restartNote);
    noteRow->setContentsMargins(4, 0, 4, 0);
    // In the note's own grey, in the light look and the dark one.
    noteRow->addWidget(
        PrefsIcons::symbolLabel(QStringLiteral("info.circle"), 14, QPalette::PlaceholderText, m_restartNote));
    noteRow->addWidget(PrefsForm::note(QStringLiteral("显示方式与界面语言的改动将在下次启动应用后生效。"), m_restartNote), 1);
    m_restartNote->hide();
    layout()->addWidget(m_restartNote);
    finish();
}

void PrefsGeneralTab::showRestartNote() { m_restartNote->show(); }

std::function<platform::LoginItem::Outcome(bool)>& PrefsGeneralTab::loginItemSetter()
{
    static std::function<platform::LoginItem::Outcome(bool)> setter = [](bool enabled) {
        return platform::LoginItem::setEnabled(enabled);
    };
    return setter;
}

void PrefsGeneralTab::updateLaunchAtLogin(bool enabled)
{
    const platform::LoginItem::Outcome outcome = loginItemSetter()(enabled);
    if (outcome.ok) {
        m_launchError->clear();
        m_launchError->hide();
        return;
    }
    // Putting the switch back is no request of the user's: it must not run the opposite.
    {
        const QSignalBlocker quiet(m_launchAtLogin);
        m_launchAtLogin->setChecked(!enabled);
    }
    m_launchError->setText(QStringLiteral("设置失败：") + outcome.message);
    m_launchError->show();
}

}  // namespace klipo
