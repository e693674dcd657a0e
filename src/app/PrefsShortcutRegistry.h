#pragma once

#include <QList>
#include <QString>

#include <optional>

// The global shortcuts the preferences list: the core ones first, then the
// optional ones with a note on where else the command can be reached.
namespace klipo::PrefsShortcutRegistry {

struct Item {
    QString title;
    QString name;  // raw value of the shortcut's name ("captureTranslate" ...)
    std::optional<QString> note;
    bool isCore = false;

    QString id() const { return name; }
};

// All ten items, in order.
const QList<Item>& items();
QList<Item> coreItems();
QList<Item> optionalItems();

}  // namespace klipo::PrefsShortcutRegistry
