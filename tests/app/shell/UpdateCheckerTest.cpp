#include "app/shell/UpdateChecker.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>

using klipo::UpdateChecker;
using klipo::UpdateCheckResult;

namespace {

// A one-file HTTP server on loopback that answers every request with `body`.
class FeedServer : public QObject {
public:
    explicit FeedServer(QByteArray body, int status = 200) : m_body(std::move(body)), m_status(status)
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    socket->readAll();
                    ++requests;
                    socket->write("HTTP/1.1 " + QByteArray::number(m_status) +
                                  " X\r\nContent-Type: application/json\r\nContent-Length: " +
                                  QByteArray::number(m_body.size()) + "\r\nConnection: close\r\n\r\n" + m_body);
                    socket->disconnectFromHost();
                });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/feed.json").arg(m_server.serverPort())); }
    int requests = 0;

private:
    QTcpServer m_server;
    QByteArray m_body;
    int m_status;
};

UpdateCheckResult runCheck(const QUrl& url, const QString& current)
{
    UpdateChecker checker(url, current);
    QSignalSpy spy(&checker, &UpdateChecker::finished);
    checker.checkForUpdates();
    checker.checkForUpdates();  // ignored while the first runs
    EXPECT_TRUE(spy.wait(10000));
    EXPECT_EQ(spy.count(), 1);
    return spy.isEmpty() ? UpdateCheckResult{} : spy.first().first().value<UpdateCheckResult>();
}

}  // namespace

TEST(UpdateChecker, reportsNewerVersion_FromLoopbackFeed)
{
    FeedServer server(R"({"version":"0.2.0","url":"https://example.org/k.deb","notes":"更快的识别"})");
    const auto result = runCheck(server.url(), "0.1.0");
    EXPECT_EQ(result.kind, UpdateCheckResult::Kind::newerAvailable);
    EXPECT_EQ(result.latestVersion, "0.2.0");
    EXPECT_EQ(result.title(), "发现新版本 0.2.0");
    EXPECT_TRUE(result.text().contains("更快的识别"));
    EXPECT_EQ(server.requests, 1);
}

TEST(UpdateChecker, saysUpToDate_OrFails_WithAChineseReason)
{
    FeedServer same(R"({"version":"0.1.0"})");
    EXPECT_EQ(runCheck(same.url(), "0.1.0").kind, UpdateCheckResult::Kind::upToDate);

    FeedServer broken("<html>not json</html>");
    const auto bad = runCheck(broken.url(), "0.1.0");
    EXPECT_EQ(bad.kind, UpdateCheckResult::Kind::failed);
    EXPECT_EQ(bad.title(), "检查更新失败");

    FeedServer missing("{}", 404);
    EXPECT_EQ(runCheck(missing.url(), "0.1.0").kind, UpdateCheckResult::Kind::failed);
}

TEST(UpdateChecker, refusesPlainHttpOutsideLoopback)
{
    EXPECT_TRUE(UpdateChecker::isAllowedFeedUrl(QUrl("https://updates.example.org/feed.json")));
    EXPECT_TRUE(UpdateChecker::isAllowedFeedUrl(QUrl("http://127.0.0.1:8080/feed.json")));
    EXPECT_TRUE(UpdateChecker::isAllowedFeedUrl(QUrl("http://[::1]/feed.json")));
    EXPECT_FALSE(UpdateChecker::isAllowedFeedUrl(QUrl("http://updates.example.org/feed.json")));
    EXPECT_FALSE(UpdateChecker::isAllowedFeedUrl(QUrl("file:///etc/passwd")));
    const auto result = runCheck(QUrl("http://updates.example.org/feed.json"), "0.1.0");
    EXPECT_EQ(result.kind, UpdateCheckResult::Kind::failed);
}

TEST(UpdateChecker, comparesDottedVersionsNumerically)
{
    EXPECT_GT(UpdateChecker::compareVersions("1.10.0", "1.9.9"), 0);
    EXPECT_EQ(UpdateChecker::compareVersions("1.2", "1.2.0"), 0);
    EXPECT_LT(UpdateChecker::compareVersions("1.2.0-beta", "1.2.0"), 0);
    // A download link that is not HTTPS is never offered.
    const auto r = UpdateChecker::parseFeed(R"json({"version":"9.0","url":"javascript:alert(1)"})json", "1.0");
    EXPECT_EQ(r.kind, UpdateCheckResult::Kind::newerAvailable);
    EXPECT_TRUE(r.downloadUrl.isEmpty());
}
