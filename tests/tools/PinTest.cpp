// Pinned images: size in the pin's screen points, zoom limits, the cascade,
// opacity, the menus, copy and save, and pinning what the clipboard holds.
#include "ToolsFakes.h"
#include "app/AppFakes.h"
#include "app/SettingsFixture.h"
#include "platform/Clipboard.h"
#include "platform/PlatformServices.h"
#include "support/TestEnv.h"
#include "tools/PinContentView.h"
#include "tools/PinGeometry.h"
#include "tools/PinMenu.h"
#include "tools/PinWindow.h"

#include <gtest/gtest.h>

#include <QMenu>
#include <QWheelEvent>

using namespace klipo;

namespace {

class Pins : public test::SettingsTest {
protected:
    void SetUp() override
    {
        // The pins appear on the second screen, under the pointer; the primary one has another scale.
        m_screens.list = {test::screen("A", 1, QRect(-1920, 0, 1920, 1080), 1.0),
                          test::screen("B", 2, QRect(0, 0, 1440, 900), 2.0, QRect(0, 25, 1440, 875))};
        m_screens.pointer = QPoint(700, 400);
        CaptureHUDController::shared().dismiss(false);
    }
    void TearDown() override
    {
        PinWindowController::closeAll();
        PinWindowController::chooseSavePath = nullptr;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SettingsTest::TearDown();
    }

    static void press(PinWindowController* pin, int key, int times = 1, Qt::KeyboardModifiers modifiers = {})
    {
        for (int i = 0; i < times; ++i) QTest::keyClick(pin->contentView(), Qt::Key(key), modifiers);
    }
    static QAction* item(QMenu* menu, const QString& title)
    {
        for (QAction* action : menu->actions())
            if (action->text() == title) return action;
        return nullptr;
    }

    test::FakeScreenMetrics m_screens;
    platform::ScopedServices m_services{platform::PlatformServices{&m_screens}};
};

}  // namespace

TEST_F(Pins, zoomStaysBetweenItsFloorAnd800Percent_InThePinsScreenPoints)
{
    EXPECT_EQ(PinWindowController::pin(test::whitePage({0, 10})), nullptr);

    PinWindowController* dot = PinWindowController::pin(test::whitePage({1, 1}));
    press(dot, Qt::Key_Minus);
    EXPECT_EQ(dot->panel()->size(), QSize(1, 1));

    PinWindowController* pin = PinWindowController::pin(test::whitePage({200, 100}));  // 100 by 50 points at 2x
    EXPECT_EQ(pin->panel()->size(), QSize(100, 50));
    press(pin, Qt::Key_Minus, 20);
    EXPECT_EQ(pin->panel()->size(), QSize(56, 28));
    const QPoint centre = pin->panel()->geometry().center();
    press(pin, Qt::Key_Plus, 40);
    EXPECT_EQ(pin->panel()->size(), QSize(800, 400));
    EXPECT_LE((pin->panel()->geometry().center() - centre).manhattanLength(), 2);  // zooms about its centre

    press(pin, Qt::Key_0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pin->panel()->size() == QSize(100, 50); }));
    QWheelEvent notch(QPointF(10, 10), QPointF(10, 10), {}, {0, 120}, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                      false);
    QApplication::sendEvent(pin->contentView(), &notch);
    EXPECT_NEAR(pin->scale(), 1.024, 1e-9);  // one line of the wheel, six points
}

TEST_F(Pins, cascadeSixStepsRound_AndStayInsideTheVisibleArea)
{
    QList<QPoint> origins;
    for (int i = 0; i < 7; ++i) origins << PinWindowController::pin(test::whitePage({100, 100}))->panel()->pos();
    for (int k = 0; k < 6; ++k) EXPECT_EQ(origins[k], QPoint(675 + 26 * k, 375 + 26 * k)) << k;
    EXPECT_EQ(origins[6], origins[0]);
    PinWindowController::pinned()[1]->close();
    PinWindowController::pinned()[1]->close();
    EXPECT_EQ(PinWindowController::pin(test::whitePage({100, 100}))->panel()->pos(), QPoint(675 + 26 * 5, 375 + 26 * 5));

    const QRect visible(0, 25, 1440, 875);
    EXPECT_EQ(PinGeometry::initialOrigin({100, 50}, {1430, 400}, visible, 1), QPoint(1332, 375));
    EXPECT_DOUBLE_EQ(PinGeometry::initialScale({100, 50}, visible), 1.0);  // never enlarged
}

TEST_F(Pins, menus_SetTheOpacity_AndCloseOneOrEveryPin)
{
    PinWindowController* pin = PinWindowController::pin(test::whitePage({200, 100}));
    std::unique_ptr<QMenu> menu(pin->makeMenu());
    EXPECT_FALSE(item(menu.get(), QStringLiteral("关闭全部贴图"))->isEnabled());
    item(item(menu.get(), QStringLiteral("透明度"))->menu(), "30%")->trigger();
    EXPECT_DOUBLE_EQ(pin->opacity(), 0.3);

    QObject owner;
    QMenu* tray = PinMenuProvider::shared().makeMenuItem(&owner)->menu();
    Q_EMIT tray->aboutToShow();
    EXPECT_TRUE(item(tray, QStringLiteral("关闭全部贴图"))->isEnabled());  // one pin is enough here
    PinWindowController* second = PinWindowController::pin(test::whitePage({50, 50}));
    menu.reset(pin->makeMenu());
    EXPECT_TRUE(item(menu.get(), QStringLiteral("关闭全部贴图"))->isEnabled());

    press(second, Qt::Key_Escape, 1, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(PinWindowController::pinned(), QList<PinWindowController*>{pin});
    QTest::mouseDClick(pin->contentView(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(PinWindowController::pinned().isEmpty());
    Q_EMIT tray->aboutToShow();
    EXPECT_FALSE(item(tray, QStringLiteral("关闭全部贴图"))->isEnabled());
}

TEST_F(Pins, copiesAndSavesWithCtrl_AndTellsWhyASaveFailed)
{
    QImage image = test::whitePage({200, 100});
    image.fill(QColor(0x22, 0x88, 0x66));
    PinWindowController* pin = PinWindowController::pin(image);
    press(pin, Qt::Key_C, 1, Qt::ControlModifier);
    EXPECT_EQ(platform::services().clipboard->image().convertToFormat(QImage::Format_RGB32), image);

    const QString dir = test::freshDir("pins");
    QString proposed;
    QString answer = dir + "/pin.png";
    PinWindowController::chooseSavePath = [&](const QString& path) {
        proposed = path;
        return answer;
    };
    press(pin, Qt::Key_S, 1, Qt::ControlModifier);
    EXPECT_TRUE(QFileInfo(proposed).fileName().startsWith(QStringLiteral("贴图 "))) << proposed.toStdString();
    EXPECT_EQ(QImage(answer).convertToFormat(QImage::Format_RGB32), image);

    ASSERT_TRUE(QFile(dir + "/plain-file").open(QIODevice::WriteOnly));
    answer = dir + "/plain-file/pin.png";
    press(pin, Qt::Key_S, 1, Qt::ControlModifier);
    EXPECT_EQ(test::toastTitle(), QStringLiteral("保存失败"));
    EXPECT_TRUE(CaptureHUDController::shared().currentSubtitle().contains(QStringLiteral("不是文件夹")));
}
