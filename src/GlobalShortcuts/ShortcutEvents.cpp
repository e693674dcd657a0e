#include "GlobalShortcuts/ShortcutEvents.h"

#include "GlobalShortcuts/HotKeyRegistry.h"

namespace klipo::GlobalShortcuts {

ShortcutEvents::ShortcutEvents(const Name& name, std::optional<EventType> only, QObject* parent)
    : QObject(parent), m_name(name), m_id(HotKeyRegistry::shared().addStream(name, [this, only](EventType type) {
          if (!only || *only == type) Q_EMIT event(type);
      }))
{}

ShortcutEvents::~ShortcutEvents() { HotKeyRegistry::shared().removeStream(m_name.rawValue(), m_id); }

ShortcutEvents* events(const Name& name, QObject* parent) { return new ShortcutEvents(name, std::nullopt, parent); }

ShortcutEvents* events(EventType type, const Name& name, QObject* parent)
{
    return new ShortcutEvents(name, type, parent);
}

}  // namespace klipo::GlobalShortcuts
