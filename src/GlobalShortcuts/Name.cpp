#include "GlobalShortcuts/Name.h"

#include "GlobalShortcuts/GlobalShortcuts.h"
#include "GlobalShortcuts/ShortcutStorage.h"

#include <QHash>
#include <QHashFunctions>

namespace klipo::GlobalShortcuts {

namespace {

constexpr auto kControlShift = Qt::ControlModifier | Qt::ShiftModifier;

// The defaults of the names made so far in this process.
QHash<QString, Shortcut>& declaredDefaults()
{
    static QHash<QString, Shortcut> defaults;
    return defaults;
}

}  // namespace

Name::Name(Unchecked, QString rawValue, std::optional<Shortcut> defaultShortcut)
    : m_rawValue(std::move(rawValue)), m_defaultShortcut(defaultShortcut)
{}

Name Name::declared(const QString& rawValue)
{
    const auto it = declaredDefaults().constFind(rawValue);
    return Name(Unchecked{}, rawValue, it == declaredDefaults().cend() ? std::nullopt : std::optional(*it));
}

Name::Name(QString rawValue, std::optional<Shortcut> defaultShortcut)
    : m_rawValue(std::move(rawValue)), m_defaultShortcut(defaultShortcut)
{
    if (m_defaultShortcut) declaredDefaults().insert(m_rawValue, *m_defaultShortcut);
    switch (storedEntry(m_rawValue)) {
    case StoredEntry::absent:
        if (m_defaultShortcut) storeShortcut(*this, *m_defaultShortcut);
        break;
    case StoredEntry::damaged:
        resetDamagedEntry(*this);
        break;
    case StoredEntry::cleared:
    case StoredEntry::shortcut:
        break;
    }
}

QString Name::storageKey() const { return storageKeyFor(m_rawValue); }

std::optional<Shortcut> Name::shortcut() const { return getShortcut(*this); }

void Name::setShortcut(const std::optional<Shortcut>& shortcut) const { GlobalShortcuts::setShortcut(shortcut, *this); }

size_t qHash(const Name& name, size_t seed) { return qHash(name.rawValue(), seed); }

const Name& Name::captureTranslate()
{
    static const Name name(QStringLiteral("captureTranslate"), Shortcut(Key::t, kControlShift));
    return name;
}

const Name& Name::captureFullScreenTranslate()
{
    static const Name name(QStringLiteral("captureFullScreenTranslate"), Shortcut(Key::f, kControlShift));
    return name;
}

const Name& Name::plainCapture()
{
    static const Name name(QStringLiteral("plainCapture"), Shortcut(Key::s, kControlShift));
    return name;
}

const Name& Name::recordScreen()
{
    static const Name name(QStringLiteral("recordScreen"), Shortcut(Key::l, kControlShift));
    return name;
}

const Name& Name::scrollCapture()
{
    static const Name name(QStringLiteral("scrollCapture"), Shortcut(Key::g, kControlShift));
    return name;
}

const Name& Name::delayedCapture()
{
    static const Name name(QStringLiteral("delayedCapture"));
    return name;
}

const Name& Name::repeatLastArea()
{
    static const Name name(QStringLiteral("repeatLastArea"));
    return name;
}

const Name& Name::colorPicker()
{
    static const Name name(QStringLiteral("colorPicker"));
    return name;
}

const Name& Name::captureAnnotate()
{
    static const Name name(QStringLiteral("captureAnnotate"));
    return name;
}

const Name& Name::pinFromClipboard()
{
    static const Name name(QStringLiteral("pinFromClipboard"));
    return name;
}

}  // namespace klipo::GlobalShortcuts
