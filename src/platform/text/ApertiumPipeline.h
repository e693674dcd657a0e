#pragma once

#include "platform/text/Translator.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <mutex>
#include <vector>

#include <sys/types.h>

namespace klipo::platform {

// One translation direction kept running as a single shell pipeline (the
// mode's command with null flushing): every request is written in Apertium's
// stream format ending in "\n\0" and its answer is read up to the next NUL.
// The pipeline starts on first use, restarts when it died, and is killed when
// it stops answering for `stallTimeout` or a batch is cancelled midway.
// Batches on one pipeline run one at a time.
class ApertiumPipeline {
public:
    struct Result {
        TranslationOutcome::Kind kind = TranslationOutcome::Kind::Ok;
        QString message;
        std::vector<QString> texts;  // one per request, in order
    };

    explicit ApertiumPipeline(QString command,
                              std::chrono::milliseconds stallTimeout = std::chrono::milliseconds(10000));
    ~ApertiumPipeline();
    ApertiumPipeline(const ApertiumPipeline&) = delete;
    ApertiumPipeline& operator=(const ApertiumPipeline&) = delete;

    Result translate(const std::vector<QString>& texts, const CancelToken& cancel);

    // The process id of the running pipeline's shell, or -1 (tests kill it).
    pid_t processId() const;

    // Apertium's stream format: ^$@[]\/<>{} are escaped with a backslash,
    // NUL bytes (our request separator) are dropped.
    static QByteArray escape(const QString& text);
    static QString unescape(const QByteArray& bytes);

private:
    enum class BatchEnd { Done, Died, Stalled, Cancelled };

    bool start(QString* error);
    void stop();
    bool isRunning();
    BatchEnd runBatch(const std::vector<QByteArray>& requests, std::vector<QByteArray>& answers,
                      const CancelToken& cancel);
    QString stderrTail() const;

    const QString m_command;
    const std::chrono::milliseconds m_stallTimeout;
    mutable std::mutex m_mutex;
    pid_t m_pid = -1;
    int m_input = -1;
    int m_output = -1;
    int m_errors = -1;
    QByteArray m_pending;  // output read after the last complete answer
    QByteArray m_stderr;
};

}  // namespace klipo::platform
