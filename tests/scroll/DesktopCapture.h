#pragma once

// Scrolling captures of real programs on the headless desktop: the service
// on the desktop's own environment, the wheel turned as a hand turns it, and
// the saved image read back. Shared by the desktop tests of real programs.
#include "platform/SettingsStore.h"
#include "scroll/DesktopScrollEnvironment.h"
#include "scroll/ScrollCaptureService.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTest>

namespace klipo::test {

inline ScrollTarget targetAt(const QRect& global)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    return {screen, 1.0, QRectF(global.x(), screen.height() - global.bottom() - 1, global.width(), global.height())};
}

// The desktop, with the delivered images' inexact seams and the toasts written down.
class WatchedDesktop : public DesktopScrollEnvironment {
public:
    int inexactSeams = -1;
    QStringList toasts;
    void deliver(const QImage& image, const QString& noteSuffix, int inexact) override
    {
        inexactSeams = inexact;
        DesktopScrollEnvironment::deliver(image, noteSuffix, inexact);
    }
    void toast(const QString& title, const QString& subtitle) override
    {
        toasts << title + " / " + subtitle;
        DesktopScrollEnvironment::toast(title, subtitle);
    }
};

// Turns the wheel over `at` on its own time, as a hand does: `notches`
// notches (negative: up), 30 to 130 ms apart, or `pauseMs` apart when given.
inline void turnWheel(QPoint at, int notches, int seed = 0, int pauseMs = 0)
{
    const int pauses[] = {30, 60, 90, 130};
    QStringList hand{"mousemove", QString::number(at.x()), QString::number(at.y())};
    for (int notch = 0; notch < std::abs(notches); ++notch)
        hand += {"click", notches > 0 ? "5" : "4", "sleep",
                 QString::number((pauseMs > 0 ? pauseMs : pauses[(seed + notch) % 4]) / 1000.0)};
    QProcess wheel;  // the capture goes on meanwhile
    wheel.start(QStringLiteral("xdotool"), hand);
    (void)QTest::qWaitFor([&] { return wheel.state() == QProcess::NotRunning; }, 60000);
}

// One scrolling capture service on the desktop at a time, saving into a
// fresh folder.
class CaptureOnDesktop : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!hasX11Display()) GTEST_SKIP() << "needs the headless X11 desktop";
        m_folder = freshDir(QStringLiteral("captures"));
        platform::SettingsStore::shared().setValue(QStringLiteral("plainCaptureDirectory"), m_folder);
        auto env = std::make_unique<WatchedDesktop>();
        m_env = env.get();
        m_service = std::make_unique<ScrollCaptureService>(std::move(env), ScrollCaptureService::Timing{});
    }

    // Starts; true once the first still is kept (within `waitMs`).
    bool start(const QRect& region, int waitMs = 5000)
    {
        m_saved = int(QDir(m_folder).entryList(QDir::Files).size());
        m_env->inexactSeams = -1;
        m_service->startCapture(targetAt(region));
        return QTest::qWaitFor([&] { return m_service->keptCount() >= 1; }, waitMs);
    }
    // Scrolls automatically until the content's end stops it.
    bool scrollAutomatically(int timeoutMs = 60000)
    {
        m_service->startAutoScroll();
        return m_service->isAutoScrolling() &&
               QTest::qWaitFor([&] { return !m_service->isAutoScrolling(); }, timeoutMs);
    }
    // Finishes and reads the saved image.
    QImage finish()
    {
        QTest::qWait(400);  // the last notch is in a still
        m_service->finishCapture();
        QStringList files;
        if (!QTest::qWaitFor(
                [&] { return (files = QDir(m_folder).entryList(QDir::Files, QDir::Time)).size() > m_saved; }, 20000))
            return {};
        return QImage(QDir(m_folder).filePath(files.first())).convertToFormat(QImage::Format_RGB32);
    }

    QString m_folder;
    WatchedDesktop* m_env = nullptr;
    std::unique_ptr<ScrollCaptureService> m_service;
    int m_saved = 0;
};

}  // namespace klipo::test
