#include "app/PrefsSoundOption.h"

namespace klipo::PrefsSoundOption {

const QStringList& names()
{
    static const QStringList list{
        QStringLiteral("Tink"),   QStringLiteral("Pop"),   QStringLiteral("Glass"), QStringLiteral("Ping"),
        QStringLiteral("Purr"),   QStringLiteral("Bottle"), QStringLiteral("Hero"), QStringLiteral("Morse"),
        QStringLiteral("Frog"),   QStringLiteral("Funk"),  QStringLiteral("Blow"),  QStringLiteral("Basso"),
        QStringLiteral("Sosumi"), QStringLiteral("Submarine"),
    };
    return list;
}

}  // namespace klipo::PrefsSoundOption
