#include "GlobalShortcuts/Shortcut.h"

#include <QHashFunctions>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

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
