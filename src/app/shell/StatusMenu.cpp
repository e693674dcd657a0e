#include "app/shell/StatusMenu.h"

#include "app/shell/AppDelegate.h"
#include "app/shell/MenuKeys.h"
#include "app/shell/ShellServices.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>

namespace klipo::StatusMenu {

namespace {
template <typename Slot>
QAction* addItem(QMenu& menu, const QString& title, Slot slot)
{
    QAction* action = menu.addAction(title);
    QObject::connect(action, &QAction::triggered, &menu, slot);
    return action;
}
}  // namespace

void build(QMenu& menu, ShellServices& services, AppDelegate& delegate, MenuKeys& keys)
{
    QPointer<AppDelegate> d(&delegate);
    ShellServices* s = &services;

    QAction* capture = addItem(menu, QStringLiteral("截图翻译"), [d] {
        if (d) d->startCaptureAndTranslate(ShellCaptureMode::interactive);
    });
    services.bindMenuShortcut(capture, QStringLiteral("captureTranslate"));
    QAction* fullScreen = addItem(menu, QStringLiteral("全屏翻译"), [d] {
        if (d) d->startCaptureAndTranslate(ShellCaptureMode::fullScreen);
    });
    services.bindMenuShortcut(fullScreen, QStringLiteral("captureFullScreenTranslate"));
    QAction* plain = addItem(menu, QStringLiteral("普通截图"), [d] {
        if (d) d->startPlainCapture();
    });
    services.bindMenuShortcut(plain, QStringLiteral("plainCapture"));

    menu.addAction(services.makeAnnotateMenuItem(&menu));
    menu.addAction(services.makePinMenuItem(&menu));
    menu.addAction(services.makeQuickCaptureMenuItem(&menu));

    QAction* record = addItem(menu, QStringLiteral("局部录屏"), [s] { s->toggleRecording(); });
    services.bindMenuShortcut(record, QStringLiteral("recordScreen"));
    QObject::connect(&menu, &QMenu::aboutToShow, record, [s, record] { s->validateRecordMenuItem(record); });
    QAction* scroll = addItem(menu, QStringLiteral("滚动长截图"), [d] {
        if (d) d->toggleScrollCapture();
    });
    services.bindMenuShortcut(scroll, QStringLiteral("scrollCapture"));

    menu.addSeparator();
    keys.setLocalKeys(addItem(menu, QStringLiteral("历史记录…"), [s] { s->showLibrary(ShellLibrarySection::history); }),
                      QKeySequence(Qt::CTRL | Qt::Key_H));
    addItem(menu, QStringLiteral("高频单词…"), [s] { s->showLibrary(ShellLibrarySection::vocabulary); });

    menu.addSeparator();
    keys.setLocalKeys(addItem(menu, QStringLiteral("设置…"), [s] { s->showSettings(); }),
                      QKeySequence(Qt::CTRL | Qt::Key_Comma));
    addItem(menu, QStringLiteral("检查更新…"), [s] { s->checkForUpdates(); });
    addItem(menu, QStringLiteral("关于 KlipoVersa"), [d] {
        if (d) d->showAbout();
    });

    menu.addSeparator();
    keys.setLocalKeys(addItem(menu, QStringLiteral("退出"),
                              [d] {
                                  if (d) Q_EMIT d->quitRequested();
                              }),
                      QKeySequence(Qt::CTRL | Qt::Key_Q));
}

}  // namespace klipo::StatusMenu
