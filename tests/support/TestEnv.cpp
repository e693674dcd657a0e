#include "support/TestEnv.h"

#include <QDir>
#include <QGuiApplication>
#include <QUuid>

namespace klipo::test {

QString& sandboxRootRef()
{
    static QString root;
    return root;
}

QString sandboxRoot() { return sandboxRootRef(); }

QString freshDir(const QString& name)
{
    const QString path = sandboxRoot() + QStringLiteral("/scratch/") + name + QLatin1Char('-') +
                         QUuid::createUuid().toString(QUuid::WithoutBraces).left(8);
    QDir().mkpath(path);
    return path;
}

bool hasX11Display()
{
    return QGuiApplication::platformName() == QLatin1String("xcb") && !qEnvironmentVariableIsEmpty("DISPLAY");
}

}  // namespace klipo::test
