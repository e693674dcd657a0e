#include "GlobalShortcuts/MenuBinding.h"

#include "GlobalShortcuts/GlobalShortcuts.h"

#include <QAction>
#include <QMenu>
#include <QPointer>

namespace klipo::GlobalShortcuts {

namespace {

const QString kBindingObjectName = QStringLiteral("klipoShortcutBinding");
const QLatin1Char kKeyColumn('\t');

QString titleOf(const QAction* item) { return item->text().section(kKeyColumn, 0, 0); }

// Lives as a child of the menu item and follows one name's changes.
class ActionBinding : public QObject {
public:
    ActionBinding(QAction* item, Name name) : QObject(item), m_item(item), m_name(std::move(name))
    {
        setObjectName(kBindingObjectName);
        observeShortcut(m_name, this, [this] { apply(); });
        // Whoever renames the item (a title that follows a state) keeps the mark.
        connect(item, &QAction::changed, this, [this] {
            if (!m_applying && isRefused(m_name) && !m_item->text().contains(kKeyColumn)) apply();
        });
        apply();
    }

    const Name& name() const { return m_name; }

    void apply()
    {
        m_applying = true;
        const QString title = titleOf(m_item);
        const std::optional<Shortcut> shortcut = getShortcut(m_name);
        if (shortcut && isRefused(m_name)) {
            applyShortcut(m_item, std::nullopt);
            m_item->setText(title + kKeyColumn + shortcut->description() + QStringLiteral("（未生效）"));
        } else {
            m_item->setText(title);
            applyShortcut(m_item, shortcut);
        }
        m_applying = false;
    }

private:
    QAction* m_item;
    Name m_name;
    bool m_applying = false;
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

QKeySequence localKeySequence(const Name& name)
{
    const std::optional<Shortcut> shortcut = getShortcut(name);
    if (!shortcut || isRefused(name)) return {};
    return shortcut->keySequence();
}

void setShortcut(QAction* item, const std::optional<Name>& name)
{
    delete bindingOf(item);
    if (!name) {
        item->setText(titleOf(item));
        applyShortcut(item, std::nullopt);
        return;
    }
    new ActionBinding(item, *name);
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
        const std::optional<Name> bound = boundName(item);
        const bool ignored = ignoring && bound == ignoring;
        // An item bound to a name uses its stored shortcut, also while that has no keys here.
        const std::optional<Shortcut> stored = bound ? getShortcut(*bound) : std::nullopt;
        const QKeySequence keys = stored ? stored->keySequence() : item->shortcut();
        if (!ignored && !item->isSeparator() && keys == wanted) return item;
        if (QAction* found = menuItemWithMatchingShortcut(item->menu(), shortcut, ignoring)) return found;
    }
    return nullptr;
}

}  // namespace klipo::GlobalShortcuts
