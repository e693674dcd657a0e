#pragma once

#include "GlobalShortcuts/GlobalShortcuts.h"
#include "platform/DesktopNotifier.h"
#include "platform/hotkeys/DesktopShortcuts.h"

namespace klipo::test {

// A desktop whose key bindings the test writes.
class FakeDesktopShortcuts : public platform::DesktopShortcuts {
public:
    platform::DesktopBindings bindings;
    bool hasSettings = false;
    int opened = 0;
    int reads = 0;

    platform::DesktopBindings readBindings() override
    {
        ++reads;
        return bindings;
    }
    bool canOpenKeyboardSettings() const override { return hasSettings; }
    bool openKeyboardSettings() override
    {
        ++opened;
        return hasSettings;
    }
};

// The ten program shortcuts cleared, so each test sets only what it needs.
inline void clearProgramShortcuts()
{
    using GlobalShortcuts::Name;
    for (const Name* name : {&Name::captureTranslate(), &Name::captureFullScreenTranslate(), &Name::plainCapture(),
                             &Name::recordScreen(), &Name::scrollCapture(), &Name::delayedCapture(),
                             &Name::repeatLastArea(), &Name::colorPicker(), &Name::captureAnnotate(),
                             &Name::pinFromClipboard()})
        GlobalShortcuts::setShortcut(std::nullopt, *name);
}

}  // namespace klipo::test

#include <QStringList>

#include <ostream>

// Readable strings in test failures.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) { *os << '[' << l.join(QStringLiteral(" | ")).toStdString() << ']'; }
