#include "platform/TrayMenuCopy.h"

#include <QActionEvent>
#include <QMenu>

namespace klipo::platform {

TrayMenuCopy::TrayMenuCopy(QMenu* source, QObject* parent) : QObject(parent), m_menu(std::make_unique<QMenu>())
{
    m_menu->setTitle(source->title());
    follow(source, m_menu.get());
}

TrayMenuCopy::~TrayMenuCopy() = default;

QString TrayMenuCopy::titleWithKeys(const QAction* item)
{
    // The rule a menu follows when it draws an item.
    const QString title = item->text();
    const QKeySequence keys = item->shortcut();
    if (keys.isEmpty() || !item->isShortcutVisibleInContextMenu() || title.contains(QLatin1Char('\t'))) return title;
    return title + QLatin1Char('\t') + keys.toString(QKeySequence::NativeText);
}

void TrayMenuCopy::follow(QMenu* source, QMenu* copy)
{
    if (!m_copies.contains(source)) {
        source->installEventFilter(this);
        connect(source, &QObject::destroyed, this, [this, source] { m_copies.remove(source); });
    }
    m_copies.insert(source, copy);
    // Providers set their items' titles and states as their menu opens.
    connect(copy, &QMenu::aboutToShow, source, [source] { Q_EMIT source->aboutToShow(); });
    fill(source, copy);
}

void TrayMenuCopy::fill(QMenu* source, QMenu* copy)
{
    const QList<QMenu*> oldSubmenus = copy->findChildren<QMenu*>(Qt::FindDirectChildrenOnly);
    copy->clear();
    qDeleteAll(oldSubmenus);
    for (QAction* item : source->actions()) {
        QAction* copied = nullptr;
        if (item->isSeparator()) {
            copied = copy->addSeparator();
        } else if (QMenu* submenu = item->menu()) {
            auto* submenuCopy = new QMenu(copy);
            copied = copy->addMenu(submenuCopy);
            follow(submenu, submenuCopy);
        } else {
            copied = copy->addAction(QString());
            QPointer<QAction> original(item);
            connect(copied, &QAction::triggered, item, [original] {
                if (original) original->trigger();
            });
        }
        m_copiedItems.insert(item, copied);
        update(item);
    }
}

void TrayMenuCopy::update(const QAction* source)
{
    QAction* copied = m_copiedItems.value(source);
    if (!copied) return;
    copied->setText(titleWithKeys(source));
    copied->setIcon(source->icon());
    copied->setToolTip(source->toolTip());
    copied->setEnabled(source->isEnabled());
    copied->setVisible(source->isVisible());
    copied->setCheckable(source->isCheckable());
    copied->setChecked(source->isChecked());
}

bool TrayMenuCopy::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ActionAdded:
    case QEvent::ActionRemoved:
        if (auto* source = qobject_cast<QMenu*>(watched))
            if (QMenu* copy = m_copies.value(source)) fill(source, copy);
        break;
    case QEvent::ActionChanged: update(static_cast<QActionEvent*>(event)->action()); break;
    default: break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace klipo::platform
