#include "platform/text/ApertiumPipeline.h"

#include "platform/text/ApertiumPairs.h"

#include <algorithm>
#include <cerrno>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace klipo::platform {

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kPollSliceMs = 25;  // how often a waiting batch looks at its cancel flag
constexpr qsizetype kStderrKeep = 2048;
// Ends every batch. A format block: Apertium passes it through unchanged, and
// user text can never produce it, since its brackets would be escaped.
const QByteArray kBatchEnd = QByteArrayLiteral("[klipoversa-batch-end]");

}  // namespace

ApertiumPipeline::ApertiumPipeline(QString command, ApertiumLimits limits)
    : m_stages(pipelineStages(command)), m_limits(limits)
{
}

ApertiumPipeline::~ApertiumPipeline()
{
    std::lock_guard lock(m_mutex);
    m_processes.stop();
}

pid_t ApertiumPipeline::processId() const
{
    std::lock_guard lock(m_mutex);
    return m_processes.groupId();
}

std::vector<pid_t> ApertiumPipeline::stageProcessIds() const
{
    std::lock_guard lock(m_mutex);
    return m_processes.pids();
}

QByteArray ApertiumPipeline::escape(const QString& text, const std::vector<KeptSpan>& kept)
{
    static const QByteArray special = QByteArrayLiteral("^$@[]\\/<>{}");
    auto append = [](QByteArray& out, QStringView piece) {
        for (char c : piece.toUtf8()) {
            if (c == '\0') continue;
            if (special.contains(c)) out.append('\\');
            out.append(c);
        }
    };
    QByteArray out;
    out.reserve(text.size() + 8);
    qsizetype at = 0;
    for (const KeptSpan& span : kept) {
        const qsizetype start = std::clamp<qsizetype>(span.start, at, text.size());
        const qsizetype end = std::clamp<qsizetype>(span.start + span.length, start, text.size());
        if (end == start) continue;
        append(out, QStringView(text).mid(at, start - at));
        out.append('[');
        append(out, QStringView(text).mid(start, end - start));
        out.append(']');
        at = end;
    }
    append(out, QStringView(text).mid(at));
    return out;
}

QString ApertiumPipeline::unescape(const QByteArray& bytes)
{
    QByteArray out;
    out.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        // Brackets of the text come escaped: one that is not holds a kept piece.
        if (bytes[i] == '[' || bytes[i] == ']') continue;
        if (bytes[i] == '\\' && i + 1 < bytes.size()) ++i;
        out.append(bytes[i]);
    }
    return QString::fromUtf8(out);
}

void ApertiumPipeline::readErrors()
{
    char buffer[4096];
    ssize_t n;
    while (m_processes.errors() >= 0 && (n = ::read(m_processes.errors(), buffer, sizeof buffer)) > 0)
        m_stderr = (m_stderr + QByteArray(buffer, n)).right(kStderrKeep);
}

ApertiumPipeline::BatchEnd ApertiumPipeline::runBatch(const std::vector<QByteArray>& requests,
                                                      std::vector<QByteArray>& answers, const CancelToken& cancel)
{
    QByteArray toWrite;
    for (const QByteArray& r : requests) {
        toWrite.append(r);
        toWrite.append("\n", 1);
        toWrite.append('\0');
    }
    toWrite.append(kBatchEnd);
    toWrite.append("\n", 1);
    toWrite.append('\0');

    const qsizetype outputCap = std::max(m_limits.minOutputBytes, toWrite.size() * m_limits.outputPerInputByte);
    const auto started = Clock::now();
    auto lastProgress = started;
    qsizetype written = 0;
    qsizetype received = 0;
    QByteArray pending;
    char buffer[65536];

    for (;;) {
        if (cancel.isCancelled()) return BatchEnd::Cancelled;
        const auto now = Clock::now();
        if (now - started > m_limits.total) return BatchEnd::TimedOut;
        if (now - lastProgress > m_limits.stall) return BatchEnd::Stalled;

        pollfd fds[3] = {{m_processes.output(), POLLIN, 0}, {m_processes.errors(), POLLIN, 0},
                         {m_processes.input(), 0, 0}};
        const bool writing = written < toWrite.size();
        if (writing) fds[2].events = POLLOUT;
        const int ready = ::poll(fds, writing ? 3 : 2, kPollSliceMs);
        if (ready < 0) {
            if (errno == EINTR) continue;
            return BatchEnd::Died;
        }
        if (fds[1].revents & POLLIN) readErrors();
        if (writing && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
            const ssize_t n = ::send(m_processes.input(), toWrite.constData() + written,
                                     size_t(toWrite.size() - written), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n > 0) {
                written += n;
            } else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
                return BatchEnd::Died;
            }
        }
        if (fds[0].revents & POLLIN) {
            const ssize_t n = ::read(m_processes.output(), buffer, sizeof buffer);
            if (n == 0) return BatchEnd::Died;
            if (n < 0) continue;
            lastProgress = Clock::now();
            received += n;
            if (received > outputCap) return BatchEnd::Overflowed;
            pending.append(buffer, n);
            qsizetype end;
            while ((end = pending.indexOf('\0')) >= 0) {
                QByteArray answer = pending.left(end);
                pending.remove(0, end + 1);
                if (answer.trimmed() == kBatchEnd)
                    return answers.size() == requests.size() ? BatchEnd::Done : BatchEnd::Miscounted;
                answers.push_back(std::move(answer));
                if (answers.size() > requests.size()) return BatchEnd::Miscounted;
            }
        } else if (fds[0].revents & (POLLHUP | POLLERR)) {
            return BatchEnd::Died;
        }
    }
}

bool ApertiumPipeline::start()
{
    std::lock_guard lock(m_mutex);
    QString error;
    return startLocked(&error);
}

bool ApertiumPipeline::startLocked(QString* error)
{
    if (m_processes.allRunning()) return true;
    m_stderr.clear();
    return m_processes.start(m_stages, error);
}

ApertiumPipeline::Result ApertiumPipeline::translate(const std::vector<QString>& texts, const CancelToken& cancel,
                                                     const std::vector<std::vector<KeptSpan>>& kept)
{
    std::lock_guard lock(m_mutex);
    Result result;
    result.texts.resize(texts.size());

    // Blank requests are answered here; the rest go to the pipeline.
    std::vector<size_t> sent;
    std::vector<QByteArray> requests;
    for (size_t i = 0; i < texts.size(); ++i) {
        const QByteArray escaped = escape(texts[i], i < kept.size() ? kept[i] : std::vector<KeptSpan>{});
        if (escaped.trimmed().isEmpty()) continue;
        sent.push_back(i);
        requests.push_back(escaped);
    }
    if (requests.empty()) return result;

    std::vector<QByteArray> answers;
    for (int attempt = 0;; ++attempt) {
        // A stage that ended since the last batch is noticed here, so the
        // batch goes to a fresh pipeline at once.
        QString error;
        if (!startLocked(&error)) return {TranslationOutcome::Kind::Failed, error, {}};
        answers.clear();
        const BatchEnd end = runBatch(requests, answers, cancel);
        if (end == BatchEnd::Done) break;
        readErrors();
        const QString tail = QString::fromLocal8Bit(m_stderr).trimmed();
        // A stage that died mid-batch can leave a garbled answer behind.
        const bool stageDied = !m_processes.allRunning();
        m_processes.stop();  // what is still in flight belongs to no one
        switch (end) {
        case BatchEnd::Done:
            break;
        case BatchEnd::Cancelled:
            return {TranslationOutcome::Kind::Cancelled, {}, {}};
        case BatchEnd::Stalled:
            return {TranslationOutcome::Kind::Failed, QStringLiteral("翻译引擎长时间没有响应，已停止本次翻译"), {}};
        case BatchEnd::TimedOut:
            return {TranslationOutcome::Kind::Failed, QStringLiteral("翻译用时过长，已停止本次翻译"), {}};
        case BatchEnd::Overflowed:
            return {TranslationOutcome::Kind::Failed, QStringLiteral("翻译引擎的输出异常（过长且没有结束标记），已停止本次翻译"), {}};
        case BatchEnd::Miscounted:
            if (stageDied && attempt == 0) break;  // start again once and send the batch anew
            return {TranslationOutcome::Kind::Failed, QStringLiteral("翻译引擎返回的译文段数与原文不符，已停止本次翻译"), {}};
        case BatchEnd::Died:
            if (attempt >= 1) {
                QString message = QStringLiteral("翻译引擎意外退出");
                if (!tail.isEmpty()) message += QStringLiteral("：") + tail.left(300);
                return {TranslationOutcome::Kind::Failed, message, {}};
            }
            break;  // start again once and send the batch anew
        }
    }

    for (size_t k = 0; k < sent.size(); ++k) {
        QByteArray answer = answers[k];
        if (answer.endsWith('\n')) answer.chop(1);
        result.texts[sent[k]] = unescape(answer).trimmed();
    }
    return result;
}

}  // namespace klipo::platform
