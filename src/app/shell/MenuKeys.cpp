#include "app/shell/MenuKeys.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QTimer>

namespace klipo {

MenuKeys::MenuKeys(QMenu& menu, QObject* parent) : QObject(parent), m_menu(menu), m_host(new QWidget)
{
    // An application-wide shortcut needs a visible, enabled widget to hang
    // on; this one counts as shown but is never put on the screen.
    m_host->setObjectName(QStringLiteral("klipoMenuKeys"));
    m_host->setAttribute(Qt::WA_DontShowOnScreen);
    m_host->setAttribute(Qt::WA_QuitOnClose, false);
    m_host->show();
    watch(&m_menu);
    sync();
}

MenuKeys::~MenuKeys() { delete m_host; }

void MenuKeys::setLocalKeys(QAction* item, const QKeySequence& keys)
{
    m_localKeys[item] = keys;
    connect(item, &QObject::destroyed, this, [this, item] { m_localKeys.remove(item); });
    applyLocalKeys();
}

void MenuKeys::setHotKeys(const QList<QKeySequence>& hotKeys)
{
    m_hotKeys = hotKeys;
    applyLocalKeys();
}

void MenuKeys::applyLocalKeys()
{
    for (auto it = m_localKeys.cbegin(); it != m_localKeys.cend(); ++it) {
        const bool taken = m_hotKeys.contains(it.value());
        it.key()->setShortcut(taken ? QKeySequence() : it.value());
        it.key()->setShortcutVisibleInContextMenu(true);
    }
}

void MenuKeys::watch(QMenu* menu)
{
    if (!menu || m_watched.contains(menu)) return;
    m_watched << menu;
    menu->installEventFilter(this);
}

bool MenuKeys::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ActionAdded:
    case QEvent::ActionRemoved:
    case QEvent::ActionChanged:
        scheduleSync();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void MenuKeys::scheduleSync()
{
    if (m_syncPending) return;
    m_syncPending = true;
    QTimer::singleShot(0, this, [this] { sync(); });
}

QList<QKeySequence> MenuKeys::listeningKeys() const
{
    QList<QKeySequence> keys;
    for (const QAction* standIn : m_standIns) keys << standIn->shortcut();
    return keys;
}

void MenuKeys::sync()
{
    m_syncPending = false;
    qDeleteAll(m_standIns);
    m_standIns.clear();
    QList<QMenu*> pending{&m_menu};
    while (!pending.isEmpty()) {
        QMenu* menu = pending.takeFirst();
        for (QAction* item : menu->actions()) {
            if (QMenu* sub = item->menu()) {
                watch(sub);
                pending << sub;
                continue;
            }
            if (item->isSeparator() || item->shortcut().isEmpty()) continue;
            auto* standIn = new QAction(m_host);
            standIn->setShortcut(item->shortcut());
            standIn->setShortcutContext(Qt::ApplicationShortcut);
            QPointer<QAction> target(item);
            connect(standIn, &QAction::triggered, this, [target] {
                // Close the open menu first: what the item starts may grab
                // the keyboard, which the menu holds while it is open.
                while (QWidget* popup = QApplication::activePopupWidget()) popup->close();
                QTimer::singleShot(0, target, [target] {
                    if (target && target->isEnabled()) target->trigger();
                });
            });
            m_host->addAction(standIn);
            m_standIns << standIn;
        }
    }
}

}  // namespace klipo
