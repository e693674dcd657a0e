#include "GlobalShortcuts/KeyNames.h"

#include <QCoreApplication>
#include <QTranslator>

#include <cstring>

namespace klipo::GlobalShortcuts {

namespace {

class KeyNameTranslator : public QTranslator {
public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* sourceText, const char*, int) const override
    {
        if (context && sourceText && std::strcmp(context, "QShortcut") == 0 && std::strcmp(sourceText, "Meta") == 0)
            return QStringLiteral("Super");
        return {};  // everything else as the other translators say
    }
    bool isEmpty() const override { return false; }
};

}  // namespace

void installKeyNames()
{
    static bool installed = false;
    if (installed || !QCoreApplication::instance()) return;
    installed = true;
    QCoreApplication::installTranslator(new KeyNameTranslator(QCoreApplication::instance()));
}

}  // namespace klipo::GlobalShortcuts
