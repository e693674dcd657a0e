// Each preferences section driven through its controls, read back from
// defaults.json and from the code that uses the setting.
#include "PrefsFakes.h"
#include "annotation/style/AnnoStyleStore.h"
#include "app/AppFakes.h"
#include "app/PrefsCaptureFeedback.h"
#include "app/PrefsFileNameTemplate.h"
#include "app/Settings.h"
#include "platform/CanberraSoundPlayer.h"
#include "platform/LoginItem.h"
#include "platform/PlatformServices.h"
#include "platform/SettingsStore.h"
#include "preferences/AnnoStylePreview.h"
#include "preferences/ElidedLabel.h"
#include "preferences/PrefsAboutTab.h"
#include "preferences/PrefsAnnotationTab.h"
#include "preferences/PrefsCaptureTab.h"
#include "preferences/PrefsGeneralTab.h"
#include "preferences/PrefsTargetLanguages.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

using namespace klipo;

namespace {

// What defaults.json holds under the key right now.
QJsonValue onDisk(const QString& key)
{
    QFile file(platform::SettingsStore::shared().filePath());
    if (!file.open(QIODevice::ReadOnly)) return QJsonValue::Undefined;
    return QJsonDocument::fromJson(file.readAll()).object().value(key);
}

void choose(QComboBox* picker, const QVariant& data)
{
    const int index = picker->findData(data);
    ASSERT_GE(index, 0) << qPrintable(data.toString());
    picker->setCurrentIndex(index);
    Q_EMIT picker->activated(index);
}

class PrefsTabs : public ::testing::Test {
protected:
    ~PrefsTabs() override
    {
        for (const QString& key : touched) platform::SettingsStore::shared().remove(key);
    }
    QStringList touched{"targetLanguage", "autoSaveCapture", "plainCaptureDirectory", "plainCaptureFormat",
                        "captureFileNameTemplate", "plainCaptureCopyToClipboard", "plainCaptureShowHUD",
                        "captureShowNotification", "captureSoundEnabled", "captureSoundName", "captureAfterAction",
                        "captureIncludeCursor", "captureScaleRetinaTo1x", "selShowHintPanel", "scrollCropTop",
                        "menuBarOnly", "appearanceTheme", "interfaceLanguage"};
};

}  // namespace

TEST_F(PrefsTabs, captureTab_EveryControlWritesItsKey_AndTheCapturePathsReadIt)
{
    test::FakeSoundPlayer player;
    test::FakeFileViewer files;
    platform::ScopedServices services({.sounds = &player, .files = &files});
    const QString folder = test::freshDir("captures");
    PrefsCaptureTab::folderChooser() = [&](QWidget*, const QString&) { return folder; };
    PrefsCaptureTab tab;

    choose(tab.targetLanguagePicker(), "en");
    EXPECT_EQ(onDisk("targetLanguage"), QJsonValue("en"));

    // JPG, a preset and a chosen folder: the next plain capture's file.
    tab.changeDirectoryButton()->click();
    EXPECT_EQ(onDisk("plainCaptureDirectory"), QJsonValue(folder));
    EXPECT_EQ(tab.directoryLabel()->text(), QFileInfo(folder).fileName());
    choose(tab.formatPicker(), "jpeg");
    EXPECT_TRUE(tab.previewLabel()->text().endsWith(".jpg"));
    tab.presetMenuButton()->menu()->actions().value(1)->trigger();
    EXPECT_EQ(onDisk("captureFileNameTemplate"), QJsonValue(QStringLiteral("截图_%Y%m%d_%H%M%S")));
    const QString next = QDir(Settings::plainCaptureDirectory()).filePath(PrefsFileNameTemplate::currentBaseName()) +
                         "." + fileExtension(Settings::plainCaptureFormat());
    EXPECT_TRUE(QRegularExpression("^" + QRegularExpression::escape(folder) + QStringLiteral("/截图_\\d{8}_\\d{6}\\.jpg$"))
                    .match(next)
                    .hasMatch())
        << qPrintable(next);
    PrefsCaptureTab::folderChooser() = [](QWidget*, const QString&) { return QString(); };  // cancelled
    tab.changeDirectoryButton()->click();
    EXPECT_EQ(onDisk("plainCaptureDirectory"), QJsonValue(folder));
    tab.openDirectoryButton()->click();
    EXPECT_EQ(files.opened, QStringList{folder});

    // Saving off: what only saving uses goes grey, the rest stays.
    tab.autoSaveSwitch()->setChecked(false);
    EXPECT_EQ(onDisk("autoSaveCapture"), QJsonValue(false));
    for (QWidget* w : {static_cast<QWidget*>(tab.formatPicker()), static_cast<QWidget*>(tab.templateField()),
                       static_cast<QWidget*>(tab.changeDirectoryButton()), static_cast<QWidget*>(tab.afterActionPicker())})
        EXPECT_FALSE(w->isEnabled());
    for (QWidget* w : {static_cast<QWidget*>(tab.copySwitch()), static_cast<QWidget*>(tab.hudSwitch()),
                       static_cast<QWidget*>(tab.notificationSwitch()), static_cast<QWidget*>(tab.soundSwitch())})
        EXPECT_TRUE(w->isEnabled());
    tab.autoSaveSwitch()->setChecked(true);

    tab.hintPanelSwitch()->setChecked(false);
    tab.scaleSwitch()->setChecked(true);
    EXPECT_FALSE(Settings::selShowHintPanel());
    EXPECT_EQ(onDisk("captureScaleRetinaTo1x"), QJsonValue(true));

    // The sound: off, its picker and "试听" are grey; on, the capture plays the theme's sound.
    EXPECT_FALSE(tab.soundPicker()->isEnabled() || tab.soundTryButton()->isEnabled());
    tab.soundSwitch()->setChecked(true);
    choose(tab.soundPicker(), "Glass");
    tab.soundTryButton()->click();
    EXPECT_EQ(player.played, QStringList{"Glass"});
    EXPECT_EQ(platform::soundThemeEventId(player.played.first()), "complete");
    PrefsCaptureFeedback::finishCapture(QStringLiteral("/tmp/x.png"));
    EXPECT_EQ(player.played.size(), 2);
    EXPECT_EQ(onDisk("captureSoundName"), QJsonValue("Glass"));

    // The crop band stops at 2000.
    tab.cropTopBox()->setValue(1995);
    tab.cropTopBox()->stepUp();
    EXPECT_EQ(onDisk("scrollCropTop"), QJsonValue(2000));
    PrefsCaptureTab::folderChooser() = nullptr;
}

TEST_F(PrefsTabs, captureTab_EmptyTemplate_ShowsTheDefaultInOrange_AndIsRepairedWhenTheTabGoes)
{
    auto tab = std::make_unique<PrefsCaptureTab>();
    QLineEdit* field = tab->templateField();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    EXPECT_EQ(onDisk("captureFileNameTemplate"), QJsonValue(""));
    EXPECT_TRUE(tab->previewLabel()->text().startsWith(QStringLiteral("效果预览：截图 "))) << qPrintable(tab->previewLabel()->text());
    EXPECT_EQ(tab->previewLabel()->palette().color(tab->previewLabel()->foregroundRole()), PrefsForm::warningColor());
    QTest::keyClicks(field, "  ");
    EXPECT_EQ(onDisk("captureFileNameTemplate"), QJsonValue("  "));
    tab.reset();
    EXPECT_EQ(onDisk("captureFileNameTemplate"), QJsonValue(QStringLiteral("截图 %F %T")));

    // Text with blanks around it is kept as typed.
    tab = std::make_unique<PrefsCaptureTab>();
    tab->templateField()->selectAll();
    QTest::keyClicks(tab->templateField(), " a ");
    tab.reset();
    EXPECT_EQ(onDisk("captureFileNameTemplate"), QJsonValue(" a "));
}

TEST(PrefsTargetLanguages, listsTheFiveOfferedTargetsAndEveryInstalledOne_EachWithItsSourcesOrReason)
{
    const auto choices = PrefsTargetLanguages::choices({{"en", "es", "a"}, {"es", "en", "b"}, {"fr", "es", "c"}});
    QStringList codes;
    for (const auto& c : choices) codes << c.code;
    EXPECT_EQ(codes, (QStringList{"zh-Hans", "zh-Hant", "en", "ja", "ko", "es"}));  // the five, then what is installed
    EXPECT_EQ(choices[2].label(), QStringLiteral("English（可从西班牙语译入）"));
    EXPECT_EQ(choices[5].label(), QStringLiteral("西班牙语（可从英语、法语译入）"));
    EXPECT_TRUE(choices[0].label().contains(QStringLiteral("无法使用")));
    // Nothing installed: English names a pack to install.
    EXPECT_TRUE(PrefsTargetLanguages::choices({}).at(2).label().contains(QStringLiteral("需先安装语言包 apertium-")));

    // This machine has apertium-eng-spa.
    QStringList reachable;
    for (const auto& c : PrefsTargetLanguages::installedChoices())
        if (!c.sources.isEmpty()) reachable << c.code;
    EXPECT_EQ(reachable, (QStringList{"en", "es"}));
}

TEST_F(PrefsTabs, generalTab_LoginEntry_IsWrittenAndRemoved_AndOneFailureLeavesOneMessage)
{
    const QString entry = platform::LoginItem::entryPath();
    {
        PrefsGeneralTab tab;
        EXPECT_FALSE(tab.launchAtLoginSwitch()->isChecked());
        tab.launchAtLoginSwitch()->setChecked(true);
        QFile file(entry);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        EXPECT_TRUE(text.startsWith("[Desktop Entry]\nType=Application\n")) << qPrintable(text);
        EXPECT_TRUE(text.contains("\nExec=" + platform::LoginItem::execArgument(QCoreApplication::applicationFilePath()) + "\n"));
        EXPECT_TRUE(platform::LoginItem::isEnabled());
        tab.launchAtLoginSwitch()->setChecked(false);
        EXPECT_FALSE(QFile::exists(entry));
    }
    EXPECT_EQ(platform::LoginItem::execArgument("/opt/my app/klipo$1"), R"("/opt/my app/klipo\\$1")");
    EXPECT_FALSE(platform::LoginItem::entryEnables("[Desktop Entry]\nExec=x\nHidden=true\n"));
    EXPECT_FALSE(platform::LoginItem::entryEnables("[Desktop Entry]\nX-GNOME-Autostart-enabled=false\n"));

    // A refusal puts the switch back and says why; the switch put back is no
    // request of its own: one failure is one call and one message.
    QList<bool> calls;
    PrefsGeneralTab::loginItemSetter() = [&](bool on) {
        calls << on;
        return platform::LoginItem::Outcome{false, QStringLiteral("拒绝")};
    };
    {
        PrefsGeneralTab tab;
        tab.launchAtLoginSwitch()->setChecked(true);
        EXPECT_FALSE(tab.launchAtLoginSwitch()->isChecked());
        EXPECT_EQ(calls, QList<bool>{true});
        EXPECT_EQ(tab.launchErrorLabel()->text(), QStringLiteral("设置失败：拒绝"));
    }
    PrefsGeneralTab::loginItemSetter() = [](bool on) { return platform::LoginItem::setEnabled(on); };
}

TEST_F(PrefsTabs, generalTab_DarkChangesOpenWindowsAtOnce_LanguageAndTrayModeWaitForARestart)
{
    QWidget other;
    other.show();
    const QColor before = other.palette().color(QPalette::Window);
    PrefsGeneralTab tab;
    EXPECT_TRUE(tab.restartNote()->isHidden());
    tab.appearancePicker()->setCurrentIndex(tab.appearancePicker()->findText(QStringLiteral("深色")));
    EXPECT_EQ(onDisk("appearanceTheme"), QJsonValue("dark"));
    QCoreApplication::processEvents();  // windows hear of it through the event loop
    EXPECT_LT(other.palette().color(QPalette::Window).lightness(), 80);
    tab.appearancePicker()->setCurrentIndex(tab.appearancePicker()->findText(QStringLiteral("跟随系统")));
    QCoreApplication::processEvents();
    EXPECT_EQ(other.palette().color(QPalette::Window), before);
    EXPECT_TRUE(tab.restartNote()->isHidden());

    tab.languagePicker()->setCurrentIndex(tab.languagePicker()->findText("English"));
    EXPECT_EQ(onDisk("interfaceLanguage"), QJsonValue("en"));
    EXPECT_FALSE(tab.restartNote()->isHidden());
    tab.languagePicker()->setCurrentIndex(0);
    EXPECT_TRUE(onDisk("interfaceLanguage").isUndefined());
    tab.menuBarOnlySwitch()->setChecked(true);
    EXPECT_TRUE(Settings::menuBarOnly());
}

TEST_F(PrefsTabs, annotationTab_EditsComeBackFromTheStyleStore_RowsFollowTheTool)
{
    const QStringList keys = [] {
        QStringList k;
        for (AnnoTool t : AnnoTools::allCases())
            for (const char* f : {"color", "lineWidth", "fontSize", "filled"}) k << AnnoStyleStore::key(t, f);
        return k;
    }();
    touched += keys;
    PrefsAnnotationTab tab(AnnoTool::rectangle, AnnoStyleStore::style(AnnoTool::rectangle));
    // The house red is no swatch of the palette.
    for (ColorSwatch* s : tab.swatches()) EXPECT_FALSE(s->isSelected());
    tab.swatches()[4]->click();  // blue
    tab.widthSlider()->setValue(12);
    tab.fillSwitch()->setChecked(true);
    const AnnoStyle stored = AnnoStyleStore::style(AnnoTool::rectangle);
    EXPECT_NEAR(stored.blue, 1.0, 1e-4);
    EXPECT_NEAR(stored.green, 0.48, 1e-4);
    EXPECT_EQ(stored.lineWidth, 12);
    EXPECT_TRUE(stored.filled);
    EXPECT_TRUE(tab.swatches()[4]->isSelected());

    tab.toolPicker()->setCurrentIndex(int(PrefsAnnotationTab::editableTools().indexOf(AnnoTool::highlight)));
    EXPECT_TRUE(tab.isRowShown(tab.colorButton()));
    EXPECT_FALSE(tab.isRowShown(tab.widthSlider()) || tab.isRowShown(tab.fillSwitch()) || tab.isRowShown(tab.fontSlider()));
    tab.toolPicker()->setCurrentIndex(int(PrefsAnnotationTab::editableTools().indexOf(AnnoTool::mosaic)));
    EXPECT_FALSE(tab.isRowShown(tab.colorButton()));
    EXPECT_TRUE(tab.isRowShown(tab.widthSlider()));
    tab.toolPicker()->setCurrentIndex(int(PrefsAnnotationTab::editableTools().indexOf(AnnoTool::text)));
    EXPECT_TRUE(tab.isRowShown(tab.fontSlider()) && tab.isRowShown(tab.colorButton()));
    tab.fontSlider()->setValue(100);
    EXPECT_EQ(AnnoStyleStore::style(AnnoTool::text).fontSize, 100);
    PrefsAnnotationTab::colorChooser() = [](QWidget*, const QColor&) { return std::optional(QColor(10, 200, 30)); };
    tab.colorButton()->click();
    EXPECT_NEAR(AnnoStyleStore::style(AnnoTool::text).green, 200 / 255.0, 1e-3);
    PrefsAnnotationTab::colorChooser() = nullptr;

    tab.resetAllButton()->click();
    for (AnnoTool t : AnnoTools::allCases()) EXPECT_EQ(AnnoStyleStore::style(t), AnnoStyleStore::factoryStyle(t));
    EXPECT_EQ(tab.style(), AnnoStyleStore::style(AnnoTool::text));
}

TEST(PrefsAboutTab, updateButtonRunsTheCheck_AndThePrivacyNoteNamesThisSystemsEngines)
{
    int checks = 0;
    PrefsAboutTab::updateCheck() = [&] { ++checks; };
    PrefsAboutTab tab;
    tab.updateButton()->click();
    EXPECT_EQ(checks, 1);
    PrefsAboutTab::updateCheck() = nullptr;
    tab.updateButton()->click();  // nothing set: nothing happens
    const QString privacy = tab.privacyLabel()->text();
    EXPECT_TRUE(privacy.contains("Tesseract") && privacy.contains("Apertium"));
    EXPECT_FALSE(privacy.contains("Mac") || privacy.contains("iCloud") || privacy.contains("Vision"));
}
