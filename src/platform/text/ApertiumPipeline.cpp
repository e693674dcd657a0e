#include "platform/text/ApertiumPipeline.h"

#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace klipo::platform {

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kPollSliceMs = 25;  // how often a waiting batch looks at its cancel flag
constexpr qsizetype kStderrKeep = 2048;

void closeFd(int& fd)
{
    if (fd >= 0) ::close(fd);
    fd = -1;
}

void setNonBlocking(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK); }

}  // namespace

ApertiumPipeline::ApertiumPipeline(QString command, std::chrono::milliseconds stallTimeout)
    : m_command(std::move(command)), m_stallTimeout(stallTimeout)
{
}

ApertiumPipeline::~ApertiumPipeline()
{
    std::lock_guard lock(m_mutex);
    stop();
}

pid_t ApertiumPipeline::processId() const
{
    std::lock_guard lock(m_mutex);
    return m_pid;
}

QByteArray ApertiumPipeline::escape(const QString& text)
{
    static const QByteArray special = QByteArrayLiteral("^$@[]\\/<>{}");
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    out.reserve(utf8.size() + 8);
    for (char c : utf8) {
        if (c == '\0') continue;
        if (special.contains(c)) out.append('\\');
        out.append(c);
    }
    return out;
}

QString ApertiumPipeline::unescape(const QByteArray& bytes)
{
    QByteArray out;
    out.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\\' && i + 1 < bytes.size()) ++i;
        out.append(bytes[i]);
    }
    return QString::fromUtf8(out);
}

bool ApertiumPipeline::start(QString* error)
{
    int input[2] = {-1, -1};
    int output[2] = {-1, -1};
    int errors[2] = {-1, -1};
    // The pipeline reads from a socket so that writing to a pipeline that died
    // gives an error instead of SIGPIPE (send with MSG_NOSIGNAL).
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, input) != 0 || ::pipe2(output, O_CLOEXEC) != 0 ||
        ::pipe2(errors, O_CLOEXEC) != 0) {
        for (int* fds : {input, output, errors}) {
            closeFd(fds[0]);
            closeFd(fds[1]);
        }
        *error = QStringLiteral("无法启动翻译引擎：%1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[1], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errors[1], STDERR_FILENO);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setpgroup(&attr, 0);  // its own process group, so the whole pipeline can be killed
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    // $1 is the generator's option (-n: no marks on unknown words), $2 the
    // tagger's (none).
    const QByteArray command = m_command.toLocal8Bit();
    const char* argv[] = {"/bin/bash", "-c", command.constData(), "apertium", "-n", "", nullptr};
    pid_t pid = -1;
    const int rc = ::posix_spawn(&pid, "/bin/bash", &actions, &attr, const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    closeFd(input[1]);
    closeFd(output[1]);
    closeFd(errors[1]);
    if (rc != 0) {
        closeFd(input[0]);
        closeFd(output[0]);
        closeFd(errors[0]);
        *error = QStringLiteral("无法启动翻译引擎：%1").arg(QString::fromLocal8Bit(std::strerror(rc)));
        return false;
    }
    m_pid = pid;
    m_input = input[0];
    m_output = output[0];
    m_errors = errors[0];
    setNonBlocking(m_input);
    setNonBlocking(m_output);
    setNonBlocking(m_errors);
    m_pending.clear();
    m_stderr.clear();
    return true;
}

void ApertiumPipeline::stop()
{
    if (m_pid > 0) {
        ::kill(-m_pid, SIGKILL);
        ::kill(m_pid, SIGKILL);
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    m_pid = -1;
    closeFd(m_input);
    closeFd(m_output);
    closeFd(m_errors);
    m_pending.clear();
}

bool ApertiumPipeline::isRunning()
{
    if (m_pid <= 0) return false;
    int status = 0;
    const pid_t rc = ::waitpid(m_pid, &status, WNOHANG);
    if (rc == 0) return true;
    if (rc == m_pid) m_pid = -1;  // reaped; stop() closes the rest
    stop();
    return false;
}

QString ApertiumPipeline::stderrTail() const { return QString::fromLocal8Bit(m_stderr).trimmed(); }

ApertiumPipeline::BatchEnd ApertiumPipeline::runBatch(const std::vector<QByteArray>& requests,
                                                      std::vector<QByteArray>& answers, const CancelToken& cancel)
{
    QByteArray toWrite;
    for (const QByteArray& r : requests) {
        toWrite.append(r);
        toWrite.append("\n", 1);
        toWrite.append('\0');
    }
    qsizetype written = 0;
    auto lastProgress = Clock::now();
    char buffer[65536];

    while (answers.size() < requests.size()) {
        if (cancel.isCancelled()) return BatchEnd::Cancelled;
        if (Clock::now() - lastProgress > m_stallTimeout) return BatchEnd::Stalled;

        pollfd fds[3] = {{m_output, POLLIN, 0}, {m_errors, POLLIN, 0}, {m_input, 0, 0}};
        const bool writing = written < toWrite.size();
        if (writing) fds[2].events = POLLOUT;
        const int ready = ::poll(fds, writing ? 3 : 2, kPollSliceMs);
        if (ready < 0) {
            if (errno == EINTR) continue;
            return BatchEnd::Died;
        }
        if (fds[1].revents & POLLIN) {
            const ssize_t n = ::read(m_errors, buffer, sizeof buffer);
            if (n > 0) m_stderr = (m_stderr + QByteArray(buffer, n)).right(kStderrKeep);
        }
        if (writing && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
            const ssize_t n = ::send(m_input, toWrite.constData() + written, size_t(toWrite.size() - written),
                                     MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n > 0) {
                written += n;
            } else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
                return BatchEnd::Died;
            }
        }
        if (fds[0].revents & POLLIN) {
            const ssize_t n = ::read(m_output, buffer, sizeof buffer);
            if (n == 0) return BatchEnd::Died;
            if (n > 0) {
                lastProgress = Clock::now();
                m_pending.append(buffer, n);
                qsizetype end;
                while (answers.size() < requests.size() && (end = m_pending.indexOf('\0')) >= 0) {
                    answers.push_back(m_pending.left(end));
                    m_pending.remove(0, end + 1);
                }
            }
        } else if (fds[0].revents & (POLLHUP | POLLERR)) {
            return BatchEnd::Died;
        }
    }
    return BatchEnd::Done;
}

ApertiumPipeline::Result ApertiumPipeline::translate(const std::vector<QString>& texts, const CancelToken& cancel)
{
    std::lock_guard lock(m_mutex);
    Result result;
    result.texts.resize(texts.size());

    // Blank requests are answered here; the rest go to the pipeline.
    std::vector<size_t> sent;
    std::vector<QByteArray> requests;
    for (size_t i = 0; i < texts.size(); ++i) {
        const QByteArray escaped = escape(texts[i]);
        if (escaped.trimmed().isEmpty()) continue;
        sent.push_back(i);
        requests.push_back(escaped);
    }

    std::vector<QByteArray> answers;
    for (int attempt = 0; answers.size() < requests.size(); ++attempt) {
        if (!isRunning()) {
            QString error;
            if (!start(&error)) return {TranslationOutcome::Kind::Failed, error, {}};
        }
        // Anything left in the output belongs to no request of this batch.
        char scratch[4096];
        while (::read(m_output, scratch, sizeof scratch) > 0) {
        }
        m_pending.clear();

        const std::vector<QByteArray> remaining(requests.begin() + qsizetype(answers.size()), requests.end());
        std::vector<QByteArray> got;
        const BatchEnd end = runBatch(remaining, got, cancel);
        answers.insert(answers.end(), got.begin(), got.end());
        switch (end) {
        case BatchEnd::Done:
            break;
        case BatchEnd::Cancelled:
            stop();  // answers to the rest are still in flight
            return {TranslationOutcome::Kind::Cancelled, {}, {}};
        case BatchEnd::Stalled:
            stop();
            return {TranslationOutcome::Kind::Failed, QStringLiteral("翻译引擎长时间没有响应，已停止本次翻译"), {}};
        case BatchEnd::Died: {
            const QString tail = stderrTail();
            stop();
            if (attempt >= 1) {
                QString message = QStringLiteral("翻译引擎意外退出");
                if (!tail.isEmpty()) message += QStringLiteral("：") + tail.left(300);
                return {TranslationOutcome::Kind::Failed, message, {}};
            }
            break;  // start again once and send what is still unanswered
        }
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
