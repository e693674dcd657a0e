#include "platform/ScreenChangeWatcher.h"

#include <QGuiApplication>
#include <QScreen>

namespace klipo::platform {

ScreenChangeWatcher::ScreenChangeWatcher(QObject* parent, int quietMs) : QObject(parent)
{
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(quietMs);
    connect(&m_quiet, &QTimer::timeout, this, &ScreenChangeWatcher::changed);

    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app) return;
    connect(app, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        watch(screen);
        noteChange();
    });
    connect(app, &QGuiApplication::screenRemoved, this, &ScreenChangeWatcher::noteChange);
    connect(app, &QGuiApplication::primaryScreenChanged, this, &ScreenChangeWatcher::noteChange);
    for (QScreen* screen : QGuiApplication::screens()) watch(screen);
}

void ScreenChangeWatcher::noteChange() { m_quiet.start(); }

void ScreenChangeWatcher::watch(QScreen* screen)
{
    connect(screen, &QScreen::geometryChanged, this, &ScreenChangeWatcher::noteChange);
    connect(screen, &QScreen::logicalDotsPerInchChanged, this, &ScreenChangeWatcher::noteChange);
    connect(screen, &QScreen::physicalDotsPerInchChanged, this, &ScreenChangeWatcher::noteChange);
}

}  // namespace klipo::platform
