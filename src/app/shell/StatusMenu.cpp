#include "app/shell/StatusMenu.h"

#include "app/shell/AppDelegate.h"
#include "app/shell/MenuKeys.h"
#include "app/shell/ShellServices.h"
#include "platform/MenusOffScreen.h"
#include "scroll/ScrollMenuProvider.h"

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

ScrollCaptureService::ScrollState scrollStateOf(ShellScrollState state)
{
    switch (state) {
    case ShellScrollState::idle:
        return ScrollCaptureService::ScrollState::idle;
    case ShellScrollState::picking:
        return ScrollCaptureService::ScrollState::picking;
    case ShellScrollState::capturing:
        return ScrollCaptureService::ScrollState::capturing;
    case ShellScrollState::stitching:
        break;
    }
    return ScrollCaptureService::ScrollState::stitching;
}
}  // namespace

void build(QMenu& menu, ShellServices& services, AppDelegate& delegate, MenuKeys& keys)
{
    QPointer<AppDelegate> d(&delegate);
    ShellServices* s = &services;
    // Its commands grab the screen right after it closes: they wait until it is gone from there.
    platform::MenusOffScreen::watch();

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
    // Its title and whether it can be chosen follow the capture's state.
    ScrollMenuProvider::shared().onToggle = [d] {
        if (d) d->toggleScrollCapture();
    };
    QAction* scroll = addItem(menu, QStringLiteral("滚动长截图"), [] { ScrollMenuProvider::shared().toggleAction(); });
    services.bindMenuShortcut(scroll, QStringLiteral("scrollCapture"));
    QObject::connect(&menu, &QMenu::aboutToShow, scroll, [scroll, s] {
        const auto look = ScrollMenuProvider::look(scrollStateOf(s->scrollState()));
        scroll->setText(look.title);
        scroll->setEnabled(look.enabled);
    });

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
