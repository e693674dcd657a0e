// Qt's own dialogs inside a Chinese program: their buttons speak Chinese, and
// the save dialog of the result panel opens where the user keeps pictures.
#include "app/SettingsFixture.h"
#include "app/shell/QtTranslations.h"
#include "app/shell/RealShellServices.h"
#include "GlobalShortcuts/KeyNames.h"
#include "GlobalShortcuts/Shortcut.h"
#include "recognition/ResultActions.h"
#include "recognition/ResultPanelController.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>

using namespace klipo;

namespace {

// Opens the panel's save dialog, notes where it starts and what its buttons
// say, and cancels it.
struct SaveDialogSeen {
    QString folder;
    QString buttons;
};
SaveDialogSeen openSaveDialog()
{
    SaveDialogSeen seen;
    QTimer::singleShot(0, [&seen] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        seen.folder = dialog->directory().absolutePath();
        for (QAbstractButton* button : dialog->findChild<QDialogButtonBox*>()->buttons()) seen.buttons += button->text();
        dialog->reject();
    });
    ResultPanelController::shared().chooseSavePath(ResultActions::proposedSavePath());
    return seen;
}

class QtDialogs : public test::SettingsTest {};

}  // namespace

TEST_F(QtDialogs, speakChinese_AndTheSaveDialogStartsInTheCaptureFolderOrPicturesNeverTheCurrentFolder)
{
    EXPECT_EQ(QtTranslations::languageFor(QLocale::c()), "zh_CN");
    EXPECT_EQ(QtTranslations::languageFor(QLocale("zh_TW")), "zh_TW");
    // The language chosen in the preferences wins over the system's.
    EXPECT_EQ(QtTranslations::languageFor("en", QLocale("zh_CN")), "");
    EXPECT_EQ(QtTranslations::languageFor("zh-Hans", QLocale("en_US")), "zh_CN");
    ASSERT_EQ(QtTranslations::install(QLocale::c()), "zh_CN");

    QMessageBox box;
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QStringLiteral("取消"));

    // The capture folder is gone and the program was started elsewhere.
    const QString started = test::freshDir("started-here");
    const QString previous = QDir::currentPath();
    QDir::setCurrent(started);
    set(QStringLiteral("plainCaptureDirectory"), test::freshDir("captures") + "/removed");
    const QString pictures = QDir::home().filePath("Pictures");
    ASSERT_TRUE(QDir().mkpath(pictures));
    const SaveDialogSeen inPictures = openSaveDialog();
    EXPECT_EQ(inPictures.folder.toStdString(), pictures.toStdString());
    EXPECT_TRUE(inPictures.buttons.contains("保存") && inPictures.buttons.contains("取消")) << qPrintable(inPictures.buttons);

    ASSERT_TRUE(QDir(pictures).removeRecursively());
    EXPECT_EQ(openSaveDialog().folder.toStdString(), QDir::homePath().toStdString());

    const QString captures = test::freshDir("captures");
    set(QStringLiteral("plainCaptureDirectory"), captures);
    EXPECT_EQ(openSaveDialog().folder.toStdString(), captures.toStdString());
    QDir::setCurrent(previous);
}

// On a system without a Chinese locale Qt wrote the list's types, sizes and
// dates in English ("Folder", "7 Dec 2026") under Chinese headers.
TEST_F(QtDialogs, fileList_FollowsTheInterfaceLanguage_DatesAndSizesIncluded)
{
    ASSERT_EQ(QtTranslations::install(QStringLiteral("zh-Hans"), QLocale::c()), "zh_CN");
    const QString folder = test::freshDir("listed");
    ASSERT_TRUE(QDir(folder).mkdir(QStringLiteral("子文件夹")));
    QFile notes(folder + "/notes.png");
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly) && notes.write("abc") == 3);
    notes.close();

    QMap<QString, QStringList> rows;
    bool fits = true;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        dialog->setViewMode(QFileDialog::Detail);
        auto* list = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
        const QModelIndex root = list->rootIndex();
        if (!QTest::qWaitFor([&] { return list->model()->rowCount(root) == 2; }, 5000)) return dialog->reject();
        for (int row = 0; row < 2; ++row) {
            QStringList cells;
            for (int column = 0; column < 4; ++column) {
                cells << list->model()->index(row, column, root).data().toString();
                fits = fits && list->fontMetrics().horizontalAdvance(cells.last()) < list->header()->sectionSize(column);
            }
            rows.insert(cells.first(), cells);
        }
        dialog->reject();
    });
    ResultPanelController::shared().chooseSavePath(folder + QStringLiteral("/图.png"));

    EXPECT_EQ(rows.value(QStringLiteral("子文件夹")).value(2), QStringLiteral("文件夹"));
    const QStringList file = rows.value(QStringLiteral("notes.png"));
    EXPECT_EQ(file.value(1), QStringLiteral("3 字节"));
    EXPECT_EQ(file.value(3),
              QLocale(QStringLiteral("zh_CN")).toString(QFileInfo(notes).lastModified(), QLocale::ShortFormat));
    EXPECT_TRUE(fits) << "a size, type or date is cut off";
}

// The update check's failure came in a box narrower than its own title, with
// its one-line reason broken in the middle of a word.
TEST_F(QtDialogs, alert_IsWideEnoughForItsTitle_AndKeepsAShortReasonOnOneLine)
{
    RealShellServices services;
    ShellAlert alert;
    alert.style = ShellAlert::Style::warning;
    alert.message = QStringLiteral("检查更新失败");
    alert.informativeText = QStringLiteral("更新服务器把请求转到了不安全的地址（不是 HTTPS），已拒绝。");
    alert.buttons = {QStringLiteral("好")};
    int width = 0;
    int reasonHeight = 0;
    int lineHeight = 0;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        const auto* reason = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"));
        width = box->width();
        reasonHeight = reason->height();
        lineHeight = reason->heightForWidth(4000);  // all on one line
        box->accept();
    });
    services.runAlert(alert);
    // Room for the title and the three buttons of a window manager's frame.
    EXPECT_GE(width, QFontMetrics(QApplication::font()).horizontalAdvance(alert.message) + 120);
    EXPECT_EQ(reasonHeight, lineHeight) << "the reason is broken over two lines";
}

// Key names followed Qt's translation of the interface language: "Ctrl+Alt+Left"
// with English dialogs, "Ctrl+Alt+左方向" with Chinese ones, "Strg+Alt+Links"
// on a German system, in the recorder, the warnings, the menu and the toast.
TEST_F(QtDialogs, keyNames_AreTheProgramsOwn_WhateverTheInterfaceLanguage)
{
    namespace GS = GlobalShortcuts;
    const QList<GS::Shortcut> shortcuts{GS::Shortcut(GS::Key::leftArrow, Qt::ControlModifier | Qt::AltModifier),
                                        GS::Shortcut(GS::Key::space, Qt::ShiftModifier | Qt::MetaModifier),
                                        GS::Shortcut(GS::Key::menu, Qt::ControlModifier)};
    const auto names = [&] {
        QStringList texts;
        for (const GS::Shortcut& shortcut : shortcuts)
            texts << shortcut.description() << shortcut.keySequence().toString(QKeySequence::NativeText);
        return texts.join(QLatin1Char('|')).toStdString();
    };
    ASSERT_EQ(QtTranslations::install(QString(), QLocale(QStringLiteral("de_DE"))), "de");
    GS::installKeyNames();
    const std::string german = names();
    ASSERT_EQ(QtTranslations::install(QStringLiteral("zh-Hans"), QLocale(QStringLiteral("de_DE"))), "zh_CN");
    GS::installKeyNames();
    EXPECT_EQ(names(), german);
    // Texts and the menu's key text alike.
    EXPECT_EQ(german,
              QStringLiteral("Ctrl+Alt+左方向|Ctrl+Alt+左方向|Super+Shift+空格|Super+Shift+空格|Ctrl+菜单|Ctrl+菜单")
                  .toStdString());
}
