#pragma once

#include <QList>
#include <QString>

// The language of the program's interface, chosen in the preferences. The
// choice is stored under "interfaceLanguage" and takes effect at the next launch.
namespace klipo::PrefsInterfaceLanguage {

struct Option {
    QString code;  // empty: follow the system
    QString name;
};
const QList<Option>& options();

// A non-empty code is stored; the empty code removes the choice (follow the system).
void apply(const QString& code);

}  // namespace klipo::PrefsInterfaceLanguage
