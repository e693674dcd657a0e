#include "GlobalShortcuts/ViewModifiers.h"

#include "GlobalShortcuts/MenuBinding.h"
#include "GlobalShortcuts/ShortcutEvents.h"

#include "platform/NotificationCenter.h"

#include <QAbstractButton>
#include <QAction>

namespace klipo::GlobalShortcuts {

namespace {

const QString kKeyBindingName = QStringLiteral("klipoGlobalKeyboardShortcut");

// A child of the bound object; applies the keys through `apply`.
class KeyBinding : public QObject {
public:
    KeyBinding(QObject* target, Name name, std::function<void(const QKeySequence&)> apply)
        : QObject(target), m_name(std::move(name)), m_apply(std::move(apply))
    {
        setObjectName(kKeyBindingName);
        observeShortcut(m_name, this, [this] { refresh(); });
        auto& center = platform::NotificationCenter::shared();
        center.observe(recorderActiveStatusDidChange, this, [this](const QVariantMap& info) {
            const QVariant active = info.value(QStringLiteral("isActive"));
            m_recorderActive = active.typeId() == QMetaType::Bool && active.toBool();
            refresh();
        });
        refresh();
    }

private:
    void refresh() { m_apply(m_recorderActive ? QKeySequence() : localKeySequence(m_name)); }

    Name m_name;
    std::function<void(const QKeySequence&)> m_apply;
    bool m_recorderActive = false;
};

void bind(QObject* target, const Name& name, std::function<void(const QKeySequence&)> apply)
{
    delete target->findChild<KeyBinding*>(kKeyBindingName, Qt::FindDirectChildrenOnly);
    new KeyBinding(target, name, std::move(apply));
}

}  // namespace

void onKeyboardShortcut(QObject* owner, const Name& name, std::function<void(EventType)> action)
{
    QObject::connect(events(name, owner), &ShortcutEvents::event, owner, std::move(action));
}

void onKeyboardShortcut(QObject* owner, const Name& name, EventType type, std::function<void()> action)
{
    QObject::connect(events(type, name, owner), &ShortcutEvents::event, owner,
                     [action = std::move(action)](EventType) { action(); });
}

void globalKeyboardShortcut(QAction* action, const Name& name)
{
    bind(action, name, [action](const QKeySequence& keys) { action->setShortcut(keys); });
}

void globalKeyboardShortcut(QAbstractButton* button, const Name& name)
{
    bind(button, name, [button](const QKeySequence& keys) { button->setShortcut(keys); });
}

}  // namespace klipo::GlobalShortcuts
