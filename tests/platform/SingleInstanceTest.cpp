#include "platform/SingleInstance.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QSignalSpy>
#include <QTest>

#include <cstring>
#include <future>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using klipo::platform::SingleInstance;

namespace {

QString freshSocketName() { return klipo::test::freshDir(QStringLiteral("instance")) + "/klipoversa.sock"; }

// What the other process does, on a thread so that this one can answer.
bool notifyFromAnotherThread(const QString& name)
{
    auto answer = std::async(std::launch::async, [&] { return SingleInstance::notifyRunningInstance(name); });
    while (answer.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) QTest::qWait(10);
    return answer.get();
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

void restoreVariable(const char* name, const QByteArray& value) { value.isNull() ? qunsetenv(name) : qputenv(name, value); }

}  // namespace

TEST(SingleInstance, secondStartIsRefused_AndItsNoticeReachesTheFirst_EvenOverACrashedInstancesSocket)
{
    const QString name = freshSocketName();
    leaveStaleSocket(name);
    ASSERT_TRUE(QFileInfo::exists(name));
    EXPECT_FALSE(SingleInstance::notifyRunningInstance(name));

    SingleInstance first(name);
    ASSERT_TRUE(first.start());
    QSignalSpy activations(&first, &SingleInstance::activationRequested);
    SingleInstance second(name);
    EXPECT_FALSE(second.start());
    EXPECT_TRUE(notifyFromAnotherThread(name));
    EXPECT_TRUE(QTest::qWaitFor([&] { return activations.count() == 1; }));
}

// Without a runtime folder, another local user could bind the socket's name in
// the shared temporary folder first (or make our folder there) and keep the
// program from starting.
TEST(SingleInstance, withoutRuntimeFolder_UsesAPrivateFolder_ThatASquatterCannotTake)
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray tmp = qgetenv("TMPDIR");
    const QString shared = klipo::test::freshDir(QStringLiteral("shared-tmp"));
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", QFile::encodeName(shared));

    // The squatter listens where a bare name would end up.
    QLocalServer squatter;
    ASSERT_TRUE(squatter.listen(shared + QStringLiteral("/klipoversa-%1.sock").arg(::getuid())));
    const QString name = SingleInstance::defaultServerName();
    ASSERT_TRUE(name.startsWith(shared + QLatin1Char('/'))) << qPrintable(name);
    {
        SingleInstance instance(name);
        EXPECT_TRUE(instance.start()) << qPrintable(name);
        EXPECT_TRUE(QFileInfo::exists(name));
        struct stat folder {};
        ASSERT_EQ(::stat(QFile::encodeName(QFileInfo(name).path()).constData(), &folder), 0);
        EXPECT_EQ(folder.st_mode & 0777, 0700u);
        EXPECT_EQ(folder.st_uid, ::getuid());
    }
    EXPECT_FALSE(QFileInfo::exists(name)) << "the socket stays behind";

    // Another user made our folder's name first: it is never used.
    if (::geteuid() == 0) {
        const QString taken = QFileInfo(name).path();
        ASSERT_TRUE(QDir(taken).removeRecursively());
        ASSERT_TRUE(QDir().mkdir(taken));
        ASSERT_EQ(::chown(QFile::encodeName(taken).constData(), 65534, 65534), 0);
        const QString elsewhere = SingleInstance::defaultServerName();
        EXPECT_FALSE(elsewhere.startsWith(taken + QLatin1Char('/'))) << qPrintable(elsewhere);
        SingleInstance instance(elsewhere);
        EXPECT_TRUE(instance.start());
    }
    restoreVariable("XDG_RUNTIME_DIR", runtime);
    restoreVariable("TMPDIR", tmp);
}
