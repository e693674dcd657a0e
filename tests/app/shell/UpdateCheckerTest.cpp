#include "app/shell/UpdateChecker.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

using klipo::UpdateChecker;
using klipo::UpdateCheckResult;

namespace {

// A loopback server whose answer a test writes itself, after the request.
class FeedServer : public QObject {
public:
    explicit FeedServer(std::function<void(QTcpSocket*)> answer) : m_answer(std::move(answer))
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                socket->setParent(this);
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    socket->readAll();
                    m_answer(socket);
                });
            }
        });
    }
    // Answers every request with `body`.
    FeedServer(QByteArray body, int status = 200)
        : FeedServer([body, status](QTcpSocket* socket) {
              socket->write("HTTP/1.1 " + QByteArray::number(status) + " X\r\nContent-Length: " +
                            QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
              socket->disconnectFromHost();
          }) {}
    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/feed.json").arg(m_server.serverPort())); }

private:
    QTcpServer m_server;
    std::function<void(QTcpSocket*)> m_answer;
};

UpdateCheckResult runCheck(const QUrl& url, const QString& current, int timeLimitMs = UpdateChecker::defaultTimeLimitMs)
{
    UpdateChecker checker(url, current);
    checker.setTimeLimit(timeLimitMs);
    QSignalSpy spy(&checker, &UpdateChecker::finished);
    checker.checkForUpdates();
    checker.checkForUpdates();  // ignored while the first runs
    EXPECT_TRUE(spy.wait(10000));
    EXPECT_EQ(spy.count(), 1);
    return spy.isEmpty() ? UpdateCheckResult{} : spy.first().first().value<UpdateCheckResult>();
}

}  // namespace

TEST(UpdateChecker, reportsANewerVersion_OrUpToDate_OrAFailure_FromALoopbackFeed)
{
    FeedServer server(R"({"version":"0.2.0","url":"https://example.org/k.deb","notes":"更快的识别"})");
    const auto result = runCheck(server.url(), "0.1.0");
    EXPECT_EQ(result.kind, UpdateCheckResult::Kind::newerAvailable);
    EXPECT_EQ(result.title(), "发现新版本 0.2.0");
    EXPECT_TRUE(result.text().contains("更快的识别"));
    EXPECT_EQ(runCheck(server.url(), "0.2.0").kind, UpdateCheckResult::Kind::upToDate);

    FeedServer broken("<html>not json</html>");
    EXPECT_EQ(runCheck(broken.url(), "0.1.0").title(), "检查更新失败");
    FeedServer missing("{}", 404);
    EXPECT_EQ(runCheck(missing.url(), "0.1.0").kind, UpdateCheckResult::Kind::failed);
}

TEST(UpdateChecker, refusesPlainHttpOutsideLoopback_ComparesVersionsNumerically_AndOffersOnlyHttpsDownloads)
{
    EXPECT_TRUE(UpdateChecker::isAllowedFeedUrl(QUrl("https://updates.example.org/feed.json")));
    EXPECT_TRUE(UpdateChecker::isAllowedFeedUrl(QUrl("http://127.0.0.1:8080/feed.json")));
    EXPECT_FALSE(UpdateChecker::isAllowedFeedUrl(QUrl("file:///etc/passwd")));
    EXPECT_EQ(runCheck(QUrl("http://updates.example.org/feed.json"), "0.1.0").kind, UpdateCheckResult::Kind::failed);

    EXPECT_GT(UpdateChecker::compareVersions("1.10.0", "1.9.9"), 0);
    EXPECT_EQ(UpdateChecker::compareVersions("1.2", "1.2.0"), 0);
    EXPECT_LT(UpdateChecker::compareVersions("1.2.0-beta", "1.2.0"), 0);
    const auto r = UpdateChecker::parseFeed(R"json({"version":"9.0","url":"javascript:alert(1)"})json", "1.0");
    EXPECT_EQ(r.kind, UpdateCheckResult::Kind::newerAvailable);
    EXPECT_TRUE(r.downloadUrl.isEmpty());
}

TEST(UpdateChecker, endsWithTheRealReason_ForRedirectsToPlainHttp_DripFeedsAndHugeFeeds)
{
    // A loopback feed that sends the checker on to plain HTTP elsewhere.
    FeedServer redirecting([](QTcpSocket* socket) {
        socket->write("HTTP/1.1 302 Found\r\nLocation: http://updates.example.org/feed.json\r\n"
                      "Content-Length: 0\r\n\r\n");
    });
    const auto redirected = runCheck(redirecting.url(), "0.1.0");
    EXPECT_EQ(redirected.kind, UpdateCheckResult::Kind::failed);
    EXPECT_TRUE(redirected.text().contains("HTTPS")) << qPrintable(redirected.text());

    // One byte now and then: never silent for long, never done.
    FeedServer dripping([](QTcpSocket* socket) {
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: 1000\r\n\r\n{");
        auto* drip = new QTimer(socket);
        QObject::connect(drip, &QTimer::timeout, socket, [socket] { socket->write(" "); });
        drip->start(100);
    });
    const auto dripped = runCheck(dripping.url(), "0.1.0", 1000);
    EXPECT_EQ(dripped.kind, UpdateCheckResult::Kind::failed);
    EXPECT_TRUE(dripped.text().contains("1 秒")) << qPrintable(dripped.text());

    // Too large, announced or not.
    const QByteArray huge(200 * 1024, ' ');
    for (const bool announced : {true, false}) {
        FeedServer flooding([&huge, announced](QTcpSocket* socket) {
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n");
            if (announced) socket->write("Content-Length: " + QByteArray::number(huge.size()) + "\r\n");
            socket->write("Connection: close\r\n\r\n{\"version\":\"9.0\"}" + huge);
            socket->disconnectFromHost();
        });
        const auto flooded = runCheck(flooding.url(), "0.1.0");
        EXPECT_EQ(flooded.kind, UpdateCheckResult::Kind::failed);
        EXPECT_TRUE(flooded.text().contains("过大")) << announced << qPrintable(flooded.text());
    }
}
