#include "platform/QuitSignals.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include <csignal>

using klipo::platform::QuitSignals;

// Without the routing these signals end the process on the spot, before any
// file is removed or any state written.
TEST(QuitSignals, reachTheMainLoop_AsAQuitRequest)
{
    QSignalSpy requests(&QuitSignals::install(), &QuitSignals::quitRequested);
    std::raise(SIGHUP);
    std::raise(SIGINT);
    std::raise(SIGTERM);
    ASSERT_TRUE(QTest::qWaitFor([&] { return requests.count() == 3; }, 2000));
    EXPECT_EQ(requests[0][0].toInt(), SIGHUP);
    EXPECT_EQ(requests[1][0].toInt(), SIGINT);
    EXPECT_EQ(requests[2][0].toInt(), SIGTERM);
}
