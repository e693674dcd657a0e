#include "GlobalShortcuts/MenuBinding.h"

#include "GlobalShortcuts/GlobalShortcuts.h"

#include "platform/NotificationCenter.h"

#include <QAction>
#include <QMenu>
#include <QPointer>

namespace klipo::GlobalShortcuts {

namespace {

const QString kBindingObjectName = QStringLiteral("klipoShortcutBinding");

// Lives as a child of the menu item and follows one name's changes.
class ActionBinding : public QObject {
public:
    ActionBinding(QAction* item, Name name) : QObject(item), m_name(std::move(name))
    {
        setObjectName(kBindingObjectName);
        platform::NotificationCenter::shared().observe(
            shortcutByNameDidChange, this, [this, item](const QVariantMap& info) {
                if (info.value(QStringLiteral("name")).toString() == m_name.rawValue())
                    applyShortcut(item, getShortcut(m_name));
            });
    }

    const Name& name() const { return m_name; }

private:
    Name m_name;
};

ActionBinding* bindingOf(const QAction* item)
{
    return item->findChild<ActionBinding*>(kBindingObjectName, Qt::FindDirectChildrenOnly);
}

QPointer<QMenu>& applicationMenuRef()
{
    static QPointer<QMenu> menu;
    return menu;
}

}  // namespace

void applyShortcut(QAction* item, const std::optional<Shortcut>& shortcut)
{
    item->setShortcut(shortcut ? shortcut->keySequence() : QKeySequence());
    // The tray menu counts as a context menu to Qt, which may hide key texts there.
    item->setShortcutVisibleInContextMenu(true);
}

void setShortcut(QAction* item, const std::optional<Name>& name)
{
    delete bindingOf(item);
    if (!name) {
        applyShortcut(item, std::nullopt);
        return;
    }
    new ActionBinding(item, *name);
    applyShortcut(item, getShortcut(*name));
}

std::optional<Name> boundName(const QAction* item)
{
    if (const ActionBinding* binding = bindingOf(item)) return binding->name();
    return std::nullopt;
}

void setApplicationMenu(QMenu* menu) { applicationMenuRef() = menu; }

QMenu* applicationMenu() { return applicationMenuRef(); }

QAction* menuItemWithMatchingShortcut(const QMenu* menu, const Shortcut& shortcut, const std::optional<Name>& ignoring)
{
    if (!menu) return nullptr;
    const QKeySequence wanted = shortcut.keySequence();
    if (wanted.isEmpty()) return nullptr;
    for (QAction* item : menu->actions()) {
        const bool ignored = ignoring && boundName(item) == ignoring;
        if (!ignored && !item->isSeparator() && item->shortcut() == wanted) return item;
        if (QAction* found = menuItemWithMatchingShortcut(item->menu(), shortcut, ignoring)) return found;
    }
    return nullptr;
}

}  // namespace klipo::GlobalShortcuts
