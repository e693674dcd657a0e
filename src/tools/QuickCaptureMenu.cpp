#include "tools/QuickCaptureMenu.h"

#include "GlobalShortcuts/MenuBinding.h"
#include "app/Settings.h"
#include "platform/MenusOffScreen.h"
#include "tools/QuickCaptureService.h"
#include "tools/QuickColorPicker.h"
#include "tools/QuickColorSample.h"
#include "tools/QuickCountdown.h"
#include "tools/QuickSettings.h"

#include <QAction>
#include <QMenu>

namespace klipo {

namespace {

int tagOf(const QAction* item) { return item->data().isValid() ? item->data().toInt() : -1; }

QAction* addItem(QMenu* menu, const QString& title, int tag, std::function<void()> action)
{
    QAction* item = menu->addAction(title);
    if (tag >= 0) item->setData(tag);
    QObject::connect(item, &QAction::triggered, menu, std::move(action));
    return item;
}

QString delayTitle(int seconds) { return QStringLiteral("延时截图 %1 秒").arg(seconds); }

}  // namespace

QuickCaptureMenuProvider& QuickCaptureMenuProvider::shared()
{
    static auto* provider = new QuickCaptureMenuProvider;
    return *provider;
}

QAction* QuickCaptureMenuProvider::makeMenuItem(QObject* parent)
{
    // Its tools grab the screen right after it closes: they wait until it is gone from there.
    platform::MenusOffScreen::watch();
    auto* menu = new QMenu(QStringLiteral("快捷截图"));
    menu->setTitle(QStringLiteral("快捷截图"));
    QObject::connect(parent, &QObject::destroyed, menu, &QObject::deleteLater);
    QObject::connect(menu, &QMenu::aboutToShow, this, [this, menu] { refresh(menu); });

    for (int seconds : Settings::quickDelayOptions()) {
        QAction* item = addItem(menu, delayTitle(seconds), seconds,
                                [seconds] { QuickCaptureService::startDelayedCapture(seconds); });
        item->setCheckable(true);
    }
    menu->addSeparator();
    QAction* repeat = addItem(menu, QStringLiteral("截取上一次区域"), repeatLastAreaTag,
                              [] { QuickCaptureService::captureLastArea(); });
    GlobalShortcuts::setShortcut(repeat, GlobalShortcuts::Name::repeatLastArea());
    addItem(menu, QStringLiteral("重新框选并记住区域…"), -1, [] { QuickCaptureService::selectAreaAndRemember(); });
    menu->addSeparator();
    addItem(menu, QStringLiteral("回溯上一次截图"), -1, [] { QuickCaptureService::showLastCapture(); });
    menu->addSeparator();
    QAction* picker =
        addItem(menu, QStringLiteral("取色器"), -1, [] { QuickColorPickerController::shared().start(); });
    GlobalShortcuts::setShortcut(picker, GlobalShortcuts::Name::colorPicker());

    auto* formats = new QMenu(QStringLiteral("取色格式"), menu);
    const QList<QuickColorFormat> all = allCases<QuickColorFormat>();
    for (int i = 0; i < all.size(); ++i) {
        const QString example = colorText(all[i], 0xD1, 0x8C, 0x72);
        QAction* item = formats->addAction(formatName(all[i]) + QStringLiteral("（") + example + QStringLiteral("）"));
        item->setData(firstFormatTag + i);
        item->setCheckable(true);
        QObject::connect(item, &QAction::triggered, this, [this, item] { colorFormatChosen(item); });
    }
    menu->addMenu(formats);
    menu->addSeparator();
    addItem(menu, QStringLiteral("识别二维码…"), -1, [] { QuickCaptureService::detectBarcodeFromSelection(); });

    refresh(menu);
    return menu->menuAction();
}

void QuickCaptureMenuProvider::refresh(QMenu* menu)
{
    const bool running = QuickCountdown::shared().isRunning();
    const int seconds = Settings::quickDelaySeconds();
    const QuickColorFormat format = Settings::quickColorFormat();
    const bool unchanged = m_shortcutMarkedSeconds == seconds;
    m_shortcutMarkedSeconds = seconds;
    for (QAction* item : menu->actions()) {
        const int tag = tagOf(item);
        if (Settings::quickDelayOptions().contains(tag)) {
            if (running) {
                item->setVisible(tag == seconds);
                item->setText(QStringLiteral("取消延时截图"));
                item->setChecked(false);
            } else {
                item->setVisible(true);
                item->setText(delayTitle(tag));
                item->setChecked(tag == seconds);
            }
            if (!unchanged)
                GlobalShortcuts::setShortcut(item, tag == seconds ? std::optional(GlobalShortcuts::Name::delayedCapture())
                                                                  : std::nullopt);
        } else if (tag == repeatLastAreaTag) {
            item->setText(Settings::quickLastCaptureArea() ? QStringLiteral("截取上一次区域")
                                                           : QStringLiteral("截取上一次区域（先框一次）"));
        } else if (QMenu* submenu = item->menu()) {
            for (QAction* choice : submenu->actions()) {
                const int index = tagOf(choice) - firstFormatTag;
                if (index >= 0 && index < allCases<QuickColorFormat>().size())
                    choice->setChecked(allCases<QuickColorFormat>()[index] == format);
            }
        }
    }
}

void QuickCaptureMenuProvider::colorFormatChosen(QAction* item)
{
    const int index = tagOf(item) - firstFormatTag;
    const QList<QuickColorFormat> all = allCases<QuickColorFormat>();
    if (index < 0 || index >= all.size()) return;
    Settings::setQuickColorFormat(all[index]);
    if (QMenu* menu = qobject_cast<QMenu*>(item->parent()))
        for (QAction* other : menu->actions()) other->setChecked(other == item);
}

}  // namespace klipo
