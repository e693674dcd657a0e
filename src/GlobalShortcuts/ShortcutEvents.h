#pragma once

#include "GlobalShortcuts/GlobalShortcuts.h"

#include <QObject>

#include <optional>

namespace klipo::GlobalShortcuts {

// The presses and releases of a name's hot key, as a signal. While a stream
// lives the name holds its hot key (when a shortcut is stored for it, now or
// later); when the last user of the name goes, the hot key is let go.
class ShortcutEvents : public QObject {
    Q_OBJECT
public:
    // Every event of the name, or only those of `only`.
    explicit ShortcutEvents(const Name& name, std::optional<EventType> only = std::nullopt, QObject* parent = nullptr);
    ~ShortcutEvents() override;

    const Name& name() const { return m_name; }

Q_SIGNALS:
    void event(klipo::GlobalShortcuts::EventType type);

private:
    Name m_name;
    quint64 m_id;
};

// A stream of the name's events owned by `parent`.
ShortcutEvents* events(const Name& name, QObject* parent);
// The same stream, filtered to one event type.
ShortcutEvents* events(EventType type, const Name& name, QObject* parent);

}  // namespace klipo::GlobalShortcuts
