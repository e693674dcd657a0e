#include "app/shell/UpdateChecker.h"

#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QTimer>

namespace klipo {

namespace {
constexpr qint64 kMaxFeedBytes = 64 * 1024;
constexpr int kMaxRedirects = 5;

const QString kTooLarge = QStringLiteral("更新信息过大（超过 64 KB），已停止下载。");

// Why a request failed, in words a user can act on.
QString networkReason(const QNetworkReply& reply)
{
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    switch (reply.error()) {
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("找不到更新服务器，请检查网络连接。");
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("更新服务器拒绝了连接。");
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("更新服务器提前断开了连接。");
    case QNetworkReply::TimeoutError:
        return QStringLiteral("更新服务器长时间没有响应。");
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("无法与更新服务器建立安全连接（证书无效或不受信任）。");
    case QNetworkReply::TooManyRedirectsError:
        return QStringLiteral("更新服务器的转向次数过多。");
    case QNetworkReply::InsecureRedirectError:
        return QStringLiteral("更新服务器把请求转到了不安全的地址（不是 HTTPS），已拒绝。");
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyConnectionClosedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyTimeoutError:
    case QNetworkReply::ProxyAuthenticationRequiredError:
        return QStringLiteral("无法通过代理服务器连接更新服务器。");
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
        return QStringLiteral("网络暂时不可用。");
    default:
        break;
    }
    if (status >= 400) return QStringLiteral("更新服务器返回了错误（HTTP %1）。").arg(status);
    return QStringLiteral("无法连接更新服务器（错误代码 %1）。").arg(int(reply.error()));
}

UpdateCheckResult failure(const QString& reason)
{
    UpdateCheckResult r;
    r.kind = UpdateCheckResult::Kind::failed;
    r.error = reason;
    return r;
}
}  // namespace

QString UpdateCheckResult::title() const
{
    switch (kind) {
    case Kind::upToDate:
        return QStringLiteral("已是最新版本");
    case Kind::newerAvailable:
        return QStringLiteral("发现新版本 %1").arg(latestVersion);
    case Kind::failed:
        break;
    }
    return QStringLiteral("检查更新失败");
}

QString UpdateCheckResult::text() const
{
    switch (kind) {
    case Kind::upToDate:
        return QStringLiteral("当前版本 %1 已是最新。").arg(latestVersion);
    case Kind::newerAvailable: {
        QString t = QStringLiteral("KlipoVersa %1 已发布。").arg(latestVersion);
        if (!notes.isEmpty()) t += QStringLiteral("\n\n") + notes;
        if (!downloadUrl.isEmpty()) t += QStringLiteral("\n\n下载地址：") + downloadUrl;
        return t;
    }
    case Kind::failed:
        break;
    }
    return error;
}

QUrl UpdateChecker::defaultFeedUrl()
{
    const QString fromEnv = qEnvironmentVariable("KLIPO_UPDATE_FEED_URL");
    return QUrl(fromEnv.isEmpty() ? QStringLiteral("https://klipoversa.io/updates/feed.json") : fromEnv);
}

UpdateChecker::UpdateChecker(QUrl feedUrl, QString currentVersion, QObject* parent)
    : QObject(parent), m_feedUrl(std::move(feedUrl)), m_currentVersion(std::move(currentVersion))
{
}

UpdateChecker::~UpdateChecker()
{
    if (m_reply) m_reply->abort();
}

bool UpdateChecker::isAllowedFeedUrl(const QUrl& url)
{
    if (!url.isValid()) return false;
    if (url.scheme() == QLatin1String("https")) return true;
    if (url.scheme() != QLatin1String("http")) return false;
    if (url.host() == QLatin1String("localhost")) return true;
    const QHostAddress address(url.host());
    return !address.isNull() && address.isLoopback();
}

int UpdateChecker::compareVersions(const QString& a, const QString& b)
{
    static const QRegularExpression part(QStringLiteral("^(\\d+)(.*)$"));
    const QStringList pa = a.trimmed().split(QLatin1Char('.'));
    const QStringList pb = b.trimmed().split(QLatin1Char('.'));
    for (int i = 0; i < std::max(pa.size(), pb.size()); ++i) {
        const QString sa = i < pa.size() ? pa[i] : QStringLiteral("0");
        const QString sb = i < pb.size() ? pb[i] : QStringLiteral("0");
        const auto ma = part.match(sa);
        const auto mb = part.match(sb);
        const qulonglong na = ma.hasMatch() ? ma.captured(1).toULongLong() : 0;
        const qulonglong nb = mb.hasMatch() ? mb.captured(1).toULongLong() : 0;
        if (na != nb) return na < nb ? -1 : 1;
        const QString ta = ma.hasMatch() ? ma.captured(2) : sa;
        const QString tb = mb.hasMatch() ? mb.captured(2) : sb;
        if (ta != tb) {
            if (ta.isEmpty()) return 1;  // "1.2.0" is newer than "1.2.0-beta"
            if (tb.isEmpty()) return -1;
            return ta < tb ? -1 : 1;
        }
    }
    return 0;
}

UpdateCheckResult UpdateChecker::parseFeed(const QByteArray& body, const QString& currentVersion)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return failure(QStringLiteral("更新信息无法识别。"));
    const QJsonObject feed = doc.object();
    const QString version = feed.value(QStringLiteral("version")).toString().trimmed();
    static const QRegularExpression shape(QStringLiteral("^\\d+(\\.\\d+)*([-+][0-9A-Za-z.]+)?$"));
    if (!shape.match(version).hasMatch()) return failure(QStringLiteral("更新信息中没有有效的版本号。"));

    UpdateCheckResult r;
    r.latestVersion = version;
    if (compareVersions(version, currentVersion) > 0) {
        r.kind = UpdateCheckResult::Kind::newerAvailable;
        const QUrl url(feed.value(QStringLiteral("url")).toString());
        // Only offer links the user can open safely.
        if (url.isValid() && url.scheme() == QLatin1String("https")) r.downloadUrl = url.toString();
        r.notes = feed.value(QStringLiteral("notes")).toString().left(2000);
    } else {
        r.kind = UpdateCheckResult::Kind::upToDate;
        r.latestVersion = currentVersion;
    }
    return r;
}

void UpdateChecker::checkForUpdates()
{
    if (m_busy) return;
    m_busy = true;
    m_stopReason.clear();
    if (!isAllowedFeedUrl(m_feedUrl)) {
        const auto result = failure(QStringLiteral("更新地址必须使用 HTTPS。"));
        QMetaObject::invokeMethod(this, [this, result] { report(result); }, Qt::QueuedConnection);
        return;
    }
    if (!m_network) m_network = new QNetworkAccessManager(this);
    QNetworkRequest request(m_feedUrl);
    request.setTransferTimeout(m_timeLimitMs);
    // Every redirect is looked at before it is followed.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("KlipoVersa/") + m_currentVersion);
    m_reply = m_network->get(request);
    QNetworkReply* reply = m_reply;
    connect(reply, &QNetworkReply::redirected, this, [this, reply](const QUrl& target) {
        if (isAllowedFeedUrl(target))
            Q_EMIT reply->redirectAllowed();
        else
            stop(QStringLiteral("更新服务器把请求转到了不安全的地址（不是 HTTPS），已拒绝。"));
    });
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] {
        if (reply->header(QNetworkRequest::ContentLengthHeader).toLongLong() > kMaxFeedBytes) stop(kTooLarge);
    });
    connect(reply, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64) {
        if (received > kMaxFeedBytes) stop(kTooLarge);
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { finish(reply); });

    // The transfer timeout only notices silence; a server that sends a byte
    // now and then would keep the check going for ever.
    if (!m_deadline) {
        m_deadline = new QTimer(this);
        m_deadline->setSingleShot(true);
        connect(m_deadline, &QTimer::timeout, this, [this] {
            stop(QStringLiteral("更新服务器在 %1 秒内没有发完更新信息，已停止等待。").arg((m_timeLimitMs + 999) / 1000));
        });
    }
    m_deadline->start(m_timeLimitMs);
}

void UpdateChecker::stop(const QString& reason)
{
    if (!m_reply || !m_stopReason.isEmpty()) return;
    m_stopReason = reason;
    m_reply->abort();  // finished() follows at once
}

void UpdateChecker::finish(QNetworkReply* reply)
{
    if (reply != m_reply) return;
    m_reply = nullptr;
    reply->deleteLater();
    if (m_deadline) m_deadline->stop();
    if (!m_stopReason.isEmpty()) {
        report(failure(m_stopReason));
        return;
    }
    if (reply->error() != QNetworkReply::NoError) {
        report(failure(networkReason(*reply)));
        return;
    }
    const QByteArray body = reply->read(kMaxFeedBytes + 1);
    report(body.size() > kMaxFeedBytes ? failure(kTooLarge) : parseFeed(body, m_currentVersion));
}

void UpdateChecker::report(const UpdateCheckResult& result)
{
    m_busy = false;
    Q_EMIT finished(result);
}

}  // namespace klipo
