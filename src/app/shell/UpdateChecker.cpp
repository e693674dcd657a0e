#include "app/shell/UpdateChecker.h"

#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>

namespace klipo {

namespace {
constexpr int kTimeoutMs = 15000;
constexpr qint64 kMaxFeedBytes = 64 * 1024;

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
    if (!isAllowedFeedUrl(m_feedUrl)) {
        const auto result = failure(QStringLiteral("更新地址必须使用 HTTPS。"));
        QMetaObject::invokeMethod(
            this,
            [this, result] {
                m_busy = false;
                Q_EMIT finished(result);
            },
            Qt::QueuedConnection);
        return;
    }
    if (!m_network) m_network = new QNetworkAccessManager(this);
    QNetworkRequest request(m_feedUrl);
    request.setTransferTimeout(kTimeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("KlipoVersa/") + m_currentVersion);
    m_reply = m_network->get(request);
    connect(m_reply, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64) {
        if (received > kMaxFeedBytes && m_reply) m_reply->abort();
    });
    connect(m_reply, &QNetworkReply::finished, this, [this] {
        QNetworkReply* reply = m_reply;
        m_reply = nullptr;
        if (!reply) return;
        reply->deleteLater();
        UpdateCheckResult result;
        if (reply->error() != QNetworkReply::NoError) {
            result = failure(QStringLiteral("无法连接更新服务器：") + reply->errorString());
        } else {
            const QByteArray body = reply->read(kMaxFeedBytes + 1);
            result = body.size() > kMaxFeedBytes ? failure(QStringLiteral("更新信息过大，已忽略。"))
                                                 : parseFeed(body, m_currentVersion);
        }
        m_busy = false;
        Q_EMIT finished(result);
    });
}

}  // namespace klipo
