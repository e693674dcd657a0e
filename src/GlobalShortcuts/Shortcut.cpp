#include "GlobalShortcuts/Shortcut.h"

#include "platform/hotkeys/KeyPositions.h"

#include <QHashFunctions>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace klipo::GlobalShortcuts {

namespace {

const QString kKeyCodeMember = QStringLiteral("carbonKeyCode");
const QString kModifiersMember = QStringLiteral("carbonModifiers");

std::optional<qint64> integerMember(const QJsonObject& object, const QString& name)
{
    const QJsonValue value = object.value(name);
    if (!value.isDouble()) return std::nullopt;
    const double number = value.toDouble();
    // Whole numbers that fit a 64-bit integer only.
    if (number != std::floor(number) || number < -9.2e18 || number > 9.2e18) return std::nullopt;
    return value.toInteger();
}

}  // namespace

size_t qHash(const Shortcut& shortcut, size_t seed)
{
    return qHashMulti(seed, shortcut.carbonKeyCode, shortcut.carbonModifiers);
}

bool Shortcut::hasUsableKey() const
{
    static const Key modifierKeys[] = {Key::capsLock, Key::shift,        Key::function,    Key::control,
                                       Key::option,   Key::command,      Key::rightCommand, Key::rightOption,
                                       Key::rightControl, Key::rightShift};
    if (!platform::keyPositionForCode(carbonKeyCode)) return false;
    return std::find(std::begin(modifierKeys), std::end(modifierKeys), key()) == std::end(modifierKeys);
}

bool Shortcut::keyStandsAlone() const
{
    static const Key keys[] = {Key::f1,  Key::f2,  Key::f3,          Key::f4,         Key::f5,    Key::f6,
                               Key::f7,  Key::f8,  Key::f9,          Key::f10,        Key::f11,   Key::f12,
                               Key::f13, Key::f14, Key::f15,         Key::f16,        Key::f17,   Key::f18,
                               Key::f19, Key::f20, Key::printScreen, Key::scrollLock, Key::pause, Key::menu};
    return std::find(std::begin(keys), std::end(keys), key()) != std::end(keys);
}

bool Shortcut::isSafeAsGlobalHotKey() const
{
    if (carbonModifiers & (Modifier::control | Modifier::option | Modifier::command)) return true;
    return keyStandsAlone();
}

QByteArray Shortcut::toJson() const
{
    const QJsonObject object{{kKeyCodeMember, carbonKeyCode}, {kModifiersMember, carbonModifiers}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<Shortcut> Shortcut::fromJson(const QByteArray& json)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) return std::nullopt;
    const QJsonObject object = document.object();
    const std::optional<qint64> keyCode = integerMember(object, kKeyCodeMember);
    const std::optional<qint64> modifiers = integerMember(object, kModifiersMember);
    if (!keyCode || !modifiers) return std::nullopt;
    return Shortcut(*keyCode, *modifiers);
}

}  // namespace klipo::GlobalShortcuts
