#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <QNetworkReply>

class QNetworkAccessManager;
class QTimer;

namespace klipo {

struct UpdateCheckResult {
    enum class Kind { upToDate, newerAvailable, failed };
    Kind kind = Kind::failed;
    QString latestVersion;
    QString downloadUrl;
    QString notes;
    QString error;  // Chinese reason for `failed`

    // The title and text shown to the user.
    QString title() const;
    QString text() const;
};

// Looks for a newer version in a small JSON feed:
//   {"version": "1.2.0", "url": "https://…", "notes": "…"}
// Nothing is fetched until the user asks. Only HTTPS is used, redirects
// included; plain HTTP is accepted for loopback addresses alone (local test
// feeds). A check ends within its time limit, however slowly the server
// answers; a failure names its reason in Chinese.
class UpdateChecker : public QObject {
    Q_OBJECT
public:
    static QUrl defaultFeedUrl();

    UpdateChecker(QUrl feedUrl, QString currentVersion, QObject* parent = nullptr);
    ~UpdateChecker() override;

    // Starting only marks the checker as running; it never blocks the launch
    // and checks nothing by itself.
    void start() { m_started = true; }
    bool isStarted() const { return m_started; }
    bool isChecking() const { return m_busy; }

    // Asks the feed once; finished() follows on the main thread. A second call
    // while a check runs is ignored.
    void checkForUpdates();

    static UpdateCheckResult parseFeed(const QByteArray& body, const QString& currentVersion);
    // <0, 0, >0 like strcmp, on dotted numbers ("1.10.0" > "1.9"); a suffix
    // after a number ("1.2.0-beta") sorts before the plain number.
    static int compareVersions(const QString& a, const QString& b);
    static bool isAllowedFeedUrl(const QUrl& url);

    // The longest a check may take, from asking to the last byte.
    static constexpr int defaultTimeLimitMs = 15000;
    void setTimeLimit(int ms) { m_timeLimitMs = ms; }

Q_SIGNALS:
    void finished(const klipo::UpdateCheckResult& result);

private:
    void stop(const QString& reason);
    void finish(QNetworkReply* reply);
    void report(const UpdateCheckResult& result);

    QUrl m_feedUrl;
    QString m_currentVersion;
    bool m_started = false;
    bool m_busy = false;
    QNetworkAccessManager* m_network = nullptr;
    QPointer<QNetworkReply> m_reply;
    QTimer* m_deadline = nullptr;
    int m_timeLimitMs = defaultTimeLimitMs;
    QString m_stopReason;  // why the running check was stopped, if it was
};

}  // namespace klipo
