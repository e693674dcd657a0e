// Each preferences section driven through its controls, read back from
// defaults.json and from the code that uses the setting (the history section
// over the real history folder and vocabulary book), and the view that holds
// the sections.
#include "PrefsFakes.h"
#include "annotation/style/AnnoStyleStore.h"
#include "app/AppFakes.h"
#include "app/Appearance.h"
#include "app/PrefsCaptureFeedback.h"
#include "app/PrefsFileNameTemplate.h"
#include "app/Settings.h"
#include "platform/LoginItem.h"
#include "platform/PlatformServices.h"
#include "platform/ProgramIcon.h"
#include "platform/SettingsStore.h"
#include "preferences/AnnoStylePreview.h"
#include "preferences/ElidedLabel.h"
#include "preferences/PrefsAnnotationTab.h"
#include "preferences/PrefsCaptureTab.h"
#include "preferences/PrefsGeneralTab.h"
#include "preferences/PrefsHistoryTab.h"
#include "stores/HistoryLimit.h"
#include "GlobalShortcuts/RecorderControl.h"
#include "preferences/PrefsShortcutTab.h"
#include "preferences/PrefsTargetLanguages.h"
#include "preferences/SettingsView.h"
#include "stores/HistoryStore.h"
#include "stores/VocabularyStore.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

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

qint64 bytesIn(const QString& folder)
{
    qint64 total = 0;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) total += QFileInfo(it.next()).size();
    return total;
}

void saveRecords(int count)
{
    QImage image(8, 8, QImage::Format_RGB32);
    int done = 0;
    for (int i = 0; i < count; ++i) {
        image.fill(QColor(i % 256, 0, 0));
        HistoryStore::shared().save(image, std::nullopt, QStringLiteral("text %1").arg(i), {}, "en",
                                    [&](auto) { ++done; });
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return done == count; }, 60000));
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
    const QRegularExpression expected("^" + QRegularExpression::escape(folder) + "/截图_\\d{8}_\\d{6}\\.jpg$");
    EXPECT_TRUE(expected.match(next).hasMatch()) << qPrintable(next);
    PrefsCaptureTab::folderChooser() = [](QWidget*, const QString&) { return QString(); };  // cancelled
    tab.changeDirectoryButton()->click();
    EXPECT_EQ(onDisk("plainCaptureDirectory"), QJsonValue(folder));
    tab.openDirectoryButton()->click();
    EXPECT_EQ(files.opened, QStringList{folder});

    // Saving off: what only saving uses goes grey, the rest stays.
    tab.autoSaveSwitch()->setChecked(false);
    EXPECT_EQ(onDisk("autoSaveCapture"), QJsonValue(false));
    const QList<QWidget*> savingOnly = {tab.formatPicker(), tab.templateField(), tab.changeDirectoryButton(),
                                        tab.afterActionPicker()};
    for (QWidget* w : savingOnly) EXPECT_FALSE(w->isEnabled());
    for (QWidget* w : QList<QWidget*>{tab.copySwitch(), tab.hudSwitch(), tab.notificationSwitch(), tab.soundSwitch()})
        EXPECT_TRUE(w->isEnabled());
    tab.autoSaveSwitch()->setChecked(true);
    tab.hintPanelSwitch()->setChecked(false);
    EXPECT_FALSE(Settings::selShowHintPanel());

    // The sound: off, its picker and "试听" are grey; on, the capture plays the theme's sound.
    EXPECT_FALSE(tab.soundPicker()->isEnabled() || tab.soundTryButton()->isEnabled());
    tab.soundSwitch()->setChecked(true);
    choose(tab.soundPicker(), "Glass");
    tab.soundTryButton()->click();
    EXPECT_EQ(player.played, QStringList{"Glass"});
    PrefsCaptureFeedback::finishCapture(QStringLiteral("/tmp/x.png"));
    EXPECT_EQ(player.played.size(), 2);
    EXPECT_EQ(onDisk("captureSoundName"), QJsonValue("Glass"));
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
    EXPECT_EQ(choices[5].label(), QStringLiteral("Español（可从英语、法语译入）"));
    EXPECT_TRUE(choices[0].label().contains(QStringLiteral("无法使用")));
    // Nothing installed: English names a pack to install.
    EXPECT_TRUE(PrefsTargetLanguages::choices({}).at(2).label().contains(QStringLiteral("需先安装语言包 apertium-")));

    // This machine has apertium-eng-spa.
    QStringList reachable;
    for (const auto& c : PrefsTargetLanguages::installedChoices())
        if (!c.sources.isEmpty()) reachable << c.code;
    EXPECT_EQ(reachable, (QStringList{"en", "es"}));
}

// Once changed or cleared, a shortcut had no way back to its default.
TEST(PrefsShortcutTab, eachRowPutsItsOwnDefaultBack_OnlyWhenItHasAnother)
{
    namespace GS = GlobalShortcuts;
    test::clearProgramShortcuts();
    PrefsShortcutTab tab;
    ShortcutConflictRecorder* translate = tab.recorderFor("captureTranslate");
    ShortcutConflictRecorder* picker = tab.recorderFor("colorPicker");
    EXPECT_TRUE(translate->resetButton()->isEnabled()) << "cleared: not its default";
    EXPECT_FALSE(picker->resetButton()->isEnabled()) << "no default and none set";
    const GS::Shortcut controlAltK(GS::Key::k, Qt::ControlModifier | Qt::AltModifier);
    GS::setShortcut(controlAltK, GS::Name::colorPicker());
    EXPECT_TRUE(picker->resetButton()->isEnabled());

    translate->resetButton()->click();
    const GS::Shortcut controlShiftT(GS::Key::t, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(GS::getShortcut(GS::Name::captureTranslate()), controlShiftT);
    EXPECT_EQ(translate->recorder()->text(), controlShiftT.description());
    EXPECT_FALSE(translate->resetButton()->isEnabled());
    EXPECT_EQ(GS::getShortcut(GS::Name::colorPicker()), controlAltK) << "another row's shortcut changed";

    picker->resetButton()->click();  // its default is none
    EXPECT_FALSE(GS::getShortcut(GS::Name::colorPicker()));
    EXPECT_FALSE(platform::SettingsStore::shared().contains(GS::Name::colorPicker().storageKey()));
    EXPECT_TRUE(picker->recorder()->text().isEmpty());
    test::clearProgramShortcuts();
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
        // It names the program's icon, installed where the desktop's icon theme finds it.
        const QString icon = platform::ProgramIcon::themeName();
        EXPECT_TRUE(text.contains("\nIcon=" + icon + "\n")) << qPrintable(text);
        EXPECT_FALSE(
            QImage(qEnvironmentVariable("XDG_DATA_HOME") + "/icons/hicolor/scalable/apps/" + icon + ".svg").isNull());
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

TEST_F(PrefsTabs, annotationTab_EditsComeBackFromTheStyleStore_ForTheChosenTool)
{
    for (AnnoTool t : AnnoTools::allCases())
        for (const char* f : {"color", "lineWidth", "fontSize", "filled"}) touched << AnnoStyleStore::key(t, f);
    PrefsAnnotationTab tab(AnnoTool::rectangle, AnnoStyleStore::style(AnnoTool::rectangle));
    tab.swatches()[4]->click();  // blue
    tab.widthSlider()->setValue(12);
    tab.fillSwitch()->setChecked(true);
    const AnnoStyle stored = AnnoStyleStore::style(AnnoTool::rectangle);
    EXPECT_NEAR(stored.blue, 1.0, 1e-4);
    EXPECT_NEAR(stored.green, 0.48, 1e-4);
    EXPECT_EQ(stored.lineWidth, 12);
    EXPECT_TRUE(stored.filled);

    // Another tool shows only the rows it has, and edits go to its style.
    tab.toolPicker()->setCurrentIndex(int(PrefsAnnotationTab::editableTools().indexOf(AnnoTool::mosaic)));
    EXPECT_FALSE(tab.isRowShown(tab.colorButton()));
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

TEST(PrefsHistoryTab, sizeFollowsTheFolder_LimitKeepsThatMany_ClearEmptiesBothStoresOnlyWhenConfirmed)
{
    HistoryStore& history = HistoryStore::shared();
    PrefsHistoryTab tab;
    tab.show();
    EXPECT_EQ(tab.sizeLabel()->text(), QStringLiteral("计算中…"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return tab.sizeLabel()->text() != QStringLiteral("计算中…"); }, 5000));

    // 100 kept of 101, and the size follows each save without "刷新".
    choose(tab.limitPicker(), 100);
    EXPECT_EQ(platform::SettingsStore::shared().value("historyLimit"), QJsonValue(100));
    ASSERT_NO_FATAL_FAILURE(saveRecords(101));
    EXPECT_EQ(history.allRecords().size(), 100);
    const auto sizeShown = [&] { return tab.sizeLabel()->text() == formatHistorySize(bytesIn(history.directory())); };
    ASSERT_TRUE(QTest::qWaitFor(sizeShown, 5000)) << qPrintable(tab.sizeLabel()->text());

    VocabularyStore::shared().ingest({"The harbour lights shine over the harbour and the harbour wall."}, {},
                                     QDateTime::currentDateTime());
    ASSERT_FALSE(VocabularyStore::shared().words().isEmpty());

    PrefsHistoryTab::clearConfirmation() = [](QWidget*) { return false; };
    tab.clearButton()->click();
    QTest::qWait(200);
    EXPECT_EQ(history.allRecords().size(), 100);
    EXPECT_FALSE(VocabularyStore::shared().words().isEmpty());

    PrefsHistoryTab::clearConfirmation() = [](QWidget*) { return true; };
    tab.clearButton()->click();
    EXPECT_TRUE(history.allRecords().isEmpty());
    EXPECT_TRUE(VocabularyStore::shared().words().isEmpty());
    EXPECT_EQ(QDir(history.directory()).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList{"index.json"});
    ASSERT_TRUE(QTest::qWaitFor(sizeShown, 5000));
    PrefsHistoryTab::clearConfirmation() = nullptr;

    tab.saveHistorySwitch()->setChecked(false);
    EXPECT_FALSE(Settings::saveHistory());
    EXPECT_FALSE(tab.limitPicker()->isEnabled() || tab.indexTextSwitch()->isEnabled());
    tab.saveHistorySwitch()->setChecked(true);
    platform::SettingsStore::shared().remove("historyLimit");
    EXPECT_EQ(formatHistorySize(1'540'000), "1.5 MB");
}

// A limit that came from a backup or a reset settings file waits for the
// user: the tab says so and offers to confirm it; confirming it, or choosing
// a limit, takes the note away.
TEST(PrefsHistoryTab, aLimitNotChosenHere_IsShownAsUnconfirmed_UntilConfirmedOrChosen)
{
    auto& settings = platform::SettingsStore::shared();
    PrefsHistoryTab tab;
    tab.show();
    EXPECT_FALSE(tab.unconfirmedLimitRow()->isVisible());
    historylimit::setConfirmed(settings, false);
    EXPECT_TRUE(tab.unconfirmedLimitRow()->isVisible());
    tab.confirmLimitButton()->click();
    EXPECT_TRUE(historylimit::isConfirmed(settings));
    EXPECT_FALSE(tab.unconfirmedLimitRow()->isVisible());

    historylimit::setConfirmed(settings, false);
    choose(tab.limitPicker(), 0);
    EXPECT_TRUE(historylimit::isConfirmed(settings));
    EXPECT_FALSE(tab.unconfirmedLimitRow()->isVisible());
    settings.remove("historyLimit");
}

// Values the readers cannot take (an array fits no setting) show as their
// defaults, and showing the sections writes none of them back; confirming the
// history limit stores the limit shown in place of the unreadable one.
TEST_F(PrefsTabs, unreadableValues_ShowAsDefaults_AndShowingTheSectionsWritesNothingBack)
{
    auto& settings = platform::SettingsStore::shared();
    QStringList keys = touched;
    keys << "saveHistory" << "historyLimit" << "indexCaptureText";
    for (const QString& key : std::as_const(keys)) settings.setValue(key, QJsonArray{});
    {
        PrefsGeneralTab general;
        PrefsCaptureTab capture;
        PrefsHistoryTab history;
        for (QWidget* tab : {static_cast<QWidget*>(&general), static_cast<QWidget*>(&capture),
                             static_cast<QWidget*>(&history)})
            tab->show();
        EXPECT_TRUE(capture.autoSaveSwitch()->isChecked());
        EXPECT_EQ(history.limitPicker()->currentData(), QVariant(300));
        EXPECT_TRUE(history.unconfirmedLimitRow()->isVisible());
    }
    for (const QString& key : std::as_const(keys)) EXPECT_EQ(onDisk(key), QJsonValue(QJsonArray{})) << qPrintable(key);

    PrefsHistoryTab history;
    history.show();
    history.confirmLimitButton()->click();
    EXPECT_EQ(onDisk("historyLimit"), QJsonValue(300));
    EXPECT_TRUE(historylimit::isConfirmed(settings));
    EXPECT_FALSE(history.unconfirmedLimitRow()->isVisible());
    for (const char* key : {"saveHistory", "historyLimit", "indexCaptureText"}) settings.remove(QString::fromLatin1(key));
}

// Another copy of the program (another session of the user) changes settings
// in the shared file: the open sections show them, and write nothing back.
TEST_F(PrefsTabs, changesByAnotherCopy_ShowInTheOpenSections_WithoutBeingWrittenBack)
{
    PrefsCaptureTab capture;
    PrefsGeneralTab general;
    platform::SettingsStore otherCopy(platform::SettingsStore::shared().filePath());
    otherCopy.setValue("autoSaveCapture", false);
    otherCopy.setValue("plainCaptureFormat", "jpeg");
    otherCopy.setValue("captureAfterAction", "revealInFinder");
    otherCopy.setValue("scrollCropTop", 40);
    otherCopy.setValue("captureFileNameTemplate", "%Y%m%d");
    otherCopy.setValue("menuBarOnly", true);
    otherCopy.setValue("appearanceTheme", "dark");
    const QByteArray written = [&] {
        QFile file(otherCopy.filePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    ASSERT_TRUE(QTest::qWaitFor([&] { return general.appearancePicker()->currentData() == QVariant("dark"); }, 5000));
    EXPECT_FALSE(capture.autoSaveSwitch()->isChecked());
    EXPECT_EQ(capture.formatPicker()->currentData(), QVariant("jpeg"));
    EXPECT_EQ(capture.afterActionPicker()->currentData(), QVariant("revealInFinder"));
    EXPECT_EQ(capture.cropTopBox()->value(), 40);
    EXPECT_EQ(capture.templateField()->text(), QStringLiteral("%Y%m%d"));
    EXPECT_TRUE(general.menuBarOnlySwitch()->isChecked());
    QFile file(otherCopy.filePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), written);
    applyAppearance(PrefsAppearanceTheme::system);
}

TEST(SettingsView, eachShownSectionIsBuiltAfresh_AndTheWheelOverAnUnclickedPickerScrollsThePage)
{
    SettingsView view(SettingsView::Form::embedded);
    view.resize(700, 430);
    view.show();
    view.setSection(PrefsSection::shortcuts);
    QPointer<QWidget> first = view.content();
    ASSERT_TRUE(dynamic_cast<PrefsShortcutTab*>(first.data()));
    view.setSection(PrefsSection::capture);
    EXPECT_TRUE(first.isNull()) << "the section left behind is dropped";

    auto* capture = dynamic_cast<PrefsCaptureTab*>(view.content());
    ASSERT_NE(capture, nullptr);
    auto* scroll = view.findChild<QScrollArea*>();
    // The new section is laid out on later turns of the event loop (slower
    // with many fonts to look through): the page scrolls once it is.
    ASSERT_TRUE(QTest::qWaitFor([&] { return scroll->verticalScrollBar()->maximum() > 0; }, 5000))
        << "the capture section is taller than the view";
    QComboBox* after = capture->afterActionPicker();
    const int chosen = after->currentIndex();
    const int scrolled = scroll->verticalScrollBar()->value();
    QWheelEvent wheel(QPointF(5, 5), after->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(after, &wheel);
    EXPECT_EQ(after->currentIndex(), chosen);
    EXPECT_GT(scroll->verticalScrollBar()->value(), scrolled);
}
