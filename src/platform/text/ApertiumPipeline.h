#pragma once

#include "platform/text/ApertiumStages.h"
#include "platform/text/Translator.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <mutex>
#include <vector>

#include <sys/types.h>

namespace klipo::platform {

// Limits of one batch on a pipeline.
struct ApertiumLimits {
    std::chrono::milliseconds stall{10000};  // no output at all for this long: stuck
    std::chrono::milliseconds total{60000};  // the whole batch, however busy the output
    // The most output a batch may produce: this many times what was sent, and
    // never less than `minOutputBytes`.
    qsizetype outputPerInputByte = 16;
    qsizetype minOutputBytes = 4 * 1024 * 1024;
};

// One translation direction kept running (the mode's command with null
// flushing, its stages started by ApertiumStages): every request is written
// in Apertium's stream format ending in "\n\0" and its answer is read up to
// the next NUL. Each batch ends with a marker request that Apertium passes
// through untouched (a format block), so a batch is complete exactly when the
// marker comes back, and it must come back after exactly one answer per
// request: extra or missing end markers fail the batch instead of moving
// answers onto the wrong paragraphs. The pipeline starts on first use,
// restarts when a stage died (retrying the batch once), and is killed when a
// batch fails or is cancelled midway. Batches on one pipeline run one at a
// time.
class ApertiumPipeline {
public:
    struct Result {
        TranslationOutcome::Kind kind = TranslationOutcome::Kind::Ok;
        QString message;
        std::vector<QString> texts;  // one per request, in order
    };

    explicit ApertiumPipeline(QString command, ApertiumLimits limits = {});
    ~ApertiumPipeline();
    ApertiumPipeline(const ApertiumPipeline&) = delete;
    ApertiumPipeline& operator=(const ApertiumPipeline&) = delete;

    // `kept`, when given, holds for each text the pieces that pass through
    // untranslated.
    Result translate(const std::vector<QString>& texts, const CancelToken& cancel,
                     const std::vector<std::vector<KeptSpan>>& kept = {});

    // Starts the stages unless they all run, so that the next batch does not
    // wait for them; false when they could not be started.
    bool start();

    // The process group of the running stages, or -1; and each stage's
    // process (tests end them).
    pid_t processId() const;
    std::vector<pid_t> stageProcessIds() const;

    // Apertium's stream format: ^$@[]\/<>{} are escaped with a backslash,
    // NUL bytes (our request separator) are dropped. Kept pieces become
    // format blocks ("[...]"), which Apertium passes through as they are;
    // unescaping drops their brackets again.
    static QByteArray escape(const QString& text, const std::vector<KeptSpan>& kept = {});
    static QString unescape(const QByteArray& bytes);

private:
    enum class BatchEnd { Done, Died, Stalled, TimedOut, Overflowed, Miscounted, Cancelled };

    BatchEnd runBatch(const std::vector<QByteArray>& requests, std::vector<QByteArray>& answers,
                      const CancelToken& cancel);
    void readErrors();
    bool startLocked(QString* error);

    const QStringList m_stages;
    const ApertiumLimits m_limits;
    mutable std::mutex m_mutex;
    ApertiumStages m_processes;
    QByteArray m_stderr;  // the tail of the stages' error output
};

}  // namespace klipo::platform
