#include "platform/SingleInstance.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

#include <atomic>
#include <cstring>
#include <thread>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using klipo::platform::SingleInstance;

namespace {

QString freshSocketName() { return klipo::test::freshDir(QStringLiteral("instance")) + "/klipoversa.sock"; }

// What the other process does, on a thread so that this one can answer.
bool notifyFromAnotherThread(const QString& name)
{
    std::atomic<bool> done = false;
    bool answered = false;
    std::thread other([&] {
        answered = SingleInstance::notifyRunningInstance(name);
        done = true;
    });
    while (!done) QTest::qWait(10);
    other.join();
    return answered;
}

// The socket file a crashed first instance leaves behind: bound, nobody listening.
void leaveStaleSocket(const QString& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray bytes = path.toLocal8Bit();
    ASSERT_LT(size_t(bytes.size()), sizeof(address.sun_path));
    std::memcpy(address.sun_path, bytes.constData(), size_t(bytes.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);
}

}  // namespace

TEST(SingleInstance, secondStart_IsRefused_AndItsNoticeReachesTheFirst)
{
    const QString name = freshSocketName();
    SingleInstance first(name);
    ASSERT_TRUE(first.start());
    QSignalSpy activations(&first, &SingleInstance::activationRequested);

    SingleInstance second(name);
    EXPECT_FALSE(second.start());
    EXPECT_TRUE(notifyFromAnotherThread(name));
    (void)QTest::qWaitFor([&] { return activations.count() == 1; });
    ASSERT_EQ(activations.count(), 1);
}

TEST(SingleInstance, staleSocketOfACrashedInstance_DoesNotBlockANewStart)
{
    const QString name = freshSocketName();
    leaveStaleSocket(name);
    ASSERT_TRUE(QFileInfo::exists(name));
    EXPECT_FALSE(SingleInstance::notifyRunningInstance(name));

    SingleInstance instance(name);
    ASSERT_TRUE(instance.start());
    QSignalSpy activations(&instance, &SingleInstance::activationRequested);
    EXPECT_TRUE(notifyFromAnotherThread(name));
    (void)QTest::qWaitFor([&] { return activations.count() == 1; });
    ASSERT_EQ(activations.count(), 1);
}
