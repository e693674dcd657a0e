// Needs a session bus (the headless desktop runs under dbus-run-session) and,
// for the sound, its PulseAudio server; skips what is missing.
#include "platform/CanberraSoundPlayer.h"
#include "platform/DesktopFileViewer.h"
#include "platform/FreedesktopNotifier.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QUrl>
#include <QVariantMap>

namespace {

class FakeNotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList received;

public Q_SLOTS:
    uint Notify(const QString& appName, uint, const QString&, const QString& summary, const QString& body,
                const QStringList&, const QVariantMap&, int)
    {
        received << appName + "|" + summary + "|" + body;
        return uint(received.size());
    }
};

class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QStringList shown;

public Q_SLOTS:
    void ShowItems(const QStringList& uris, const QString&) { shown << uris; }
};

// Receives what QDesktopServices would hand to the desktop for file: URLs.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;

public Q_SLOTS:
    void open(const QUrl& url) { opened << url; }
};

// Registers `object` under `service` on the session bus for one scope.
class ScopedBusService {
public:
    ScopedBusService(const QString& service, const QString& path, QObject* object) : m_service(service), m_path(path)
    {
        m_ok = m_bus.registerObject(path, object, QDBusConnection::ExportAllSlots) && m_bus.registerService(service);
    }
    ~ScopedBusService()
    {
        m_bus.unregisterService(m_service);
        m_bus.unregisterObject(m_path);
    }
    bool ok() const { return m_ok; }

private:
    QDBusConnection m_bus = QDBusConnection::sessionBus();
    QString m_service, m_path;
    bool m_ok = false;
};

class SessionBus : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QDBusConnection::sessionBus().isConnected()) GTEST_SKIP() << "needs a session bus";
        QDesktopServices::setUrlHandler("file", &m_catcher, "open");
    }
    void TearDown() override { QDesktopServices::unsetUrlHandler("file"); }

    UrlCatcher m_catcher;
};

}  // namespace

TEST_F(SessionBus, notification_ReachesTheNotificationServer)
{
    FakeNotificationServer server;
    ScopedBusService registration("org.freedesktop.Notifications", "/org/freedesktop/Notifications", &server);
    ASSERT_TRUE(registration.ok());
    klipo::platform::FreedesktopNotifier().post("截图已保存", "shot.png");
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.received == QStringList{"KlipoVersa|截图已保存|shot.png"}; }))
        << qPrintable(server.received.join(' '));
}

// With a file manager on the bus it selects the file; without one the folder
// is opened. Opening opens the file.
TEST_F(SessionBus, reveal_AsksTheFileManagerToSelectTheFile_ElseOpensTheFolder)
{
    const QString folder = klipo::test::freshDir("reveal");
    const QString file = folder + "/截图 1.png";
    klipo::platform::DesktopFileViewer viewer;
    {
        FakeFileManager manager;
        ScopedBusService registration("org.freedesktop.FileManager1", "/org/freedesktop/FileManager1", &manager);
        ASSERT_TRUE(registration.ok());
        viewer.reveal(file);
        EXPECT_TRUE(QTest::qWaitFor([&] { return manager.shown == QStringList{QUrl::fromLocalFile(file).toString()}; }));
        QTest::qWait(100);
        EXPECT_TRUE(m_catcher.opened.isEmpty());
    }
    viewer.reveal(file);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_catcher.opened.size() == 1; }));
    viewer.open(file);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_catcher.opened.size() == 2; }));
    EXPECT_EQ(m_catcher.opened, (QList<QUrl>{QUrl::fromLocalFile(folder), QUrl::fromLocalFile(file)}));
}

TEST(DesktopFileViewer, openOrExplain_SaysWhenNoProgramCanOpenTheFile)
{
    const QString file = klipo::test::freshDir("view") + "/shot.png";
    const QByteArray path = qgetenv("PATH");
    auto openWithLauncher = [&](const QByteArray& script) {
        const QString bin = klipo::test::freshDir("bin");
        if (!script.isEmpty()) {
            QFile launcher(bin + "/xdg-open");
            EXPECT_TRUE(launcher.open(QIODevice::WriteOnly));
            launcher.write(script);
            launcher.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        }
        qputenv("PATH", QFile::encodeName(bin) + (script.isEmpty() ? QByteArray() : ":" + path));
        QStringList reasons;
        klipo::platform::DesktopFileViewer().openOrExplain(file, [&](const QString& why) { reasons << why; });
        (void)QTest::qWaitFor([&] { return !reasons.isEmpty(); }, 5000);
        qputenv("PATH", path);
        return reasons;
    };
    // xdg-open finds no program for PNG pictures (its exit code 3).
    EXPECT_EQ(openWithLauncher("#!/bin/sh\nexit 3\n"), QStringList{"没有找到可以打开这种图片的程序"});
    // No xdg-open at all, and nothing else that opens files.
    EXPECT_EQ(openWithLauncher(QByteArray()), QStringList{"没有找到可以打开这种图片的程序"});
}

TEST(SoundServer, themeSound_PlaysWhenASoundServerRuns)
{
    const QString socket = qEnvironmentVariable("PULSE_RUNTIME_PATH") + "/native";
    if (qEnvironmentVariableIsEmpty("PULSE_RUNTIME_PATH") || !QFileInfo::exists(socket))
        GTEST_SKIP() << "needs the headless desktop's sound server";
    klipo::platform::CanberraSoundPlayer player;
    EXPECT_TRUE(player.play("Tink"));
    EXPECT_TRUE(player.play("Glass"));
    EXPECT_FALSE(player.play("NoSuchSound"));
}

#include "SessionBusTest.moc"
