#include "platform/text/ApertiumStages.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace klipo::platform {

namespace {

void closeFd(int& fd)
{
    if (fd >= 0) ::close(fd);
    fd = -1;
}

void setNonBlocking(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK); }

QString failure(int error)
{
    return QStringLiteral("无法启动翻译引擎：%1").arg(QString::fromLocal8Bit(std::strerror(error)));
}

// Starts one stage through the shell with the given standard descriptors, in
// the process group `group` (0: a new group led by the stage). Returns 0 or
// an errno value.
int spawnStage(const QString& stage, int in, int out, int err, pid_t group, pid_t* pid)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err, STDERR_FILENO);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);  // a stage whose reader died ends, as in a shell pipeline
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setpgroup(&attr, group);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    const QByteArray command = stage.toLocal8Bit();
    const char* argv[] = {"/bin/bash", "-c", command.constData(), "apertium", "-n", "", nullptr};
    const int rc = ::posix_spawn(pid, "/bin/bash", &actions, &attr, const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    return rc;
}

}  // namespace

ApertiumStages::~ApertiumStages() { stop(); }

bool ApertiumStages::start(const QStringList& stages, QString* error)
{
    stop();
    if (stages.isEmpty()) {
        *error = QStringLiteral("无法启动翻译引擎：语言包的命令是空的");
        return false;
    }
    int input[2] = {-1, -1};
    int output[2] = {-1, -1};
    int errors[2] = {-1, -1};
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, input) != 0 || ::pipe2(output, O_CLOEXEC) != 0 ||
        ::pipe2(errors, O_CLOEXEC) != 0) {
        *error = failure(errno);
        for (int* fds : {input, output, errors}) {
            closeFd(fds[0]);
            closeFd(fds[1]);
        }
        return false;
    }
    m_input = input[0];
    m_output = output[0];
    m_errors = errors[0];

    // Every descriptor is close-on-exec, so each stage holds only its own
    // three; the parent lets go of the child ends as soon as they are given.
    int stageInput = input[1];
    int rc = 0;
    for (qsizetype i = 0; i < stages.size() && rc == 0; ++i) {
        int link[2] = {-1, -1};
        const bool last = i + 1 == stages.size();
        if (last) {
            link[1] = output[1];
            output[1] = -1;
        } else if (::pipe2(link, O_CLOEXEC) != 0) {
            rc = errno;
            break;
        }
        pid_t pid = -1;
        rc = spawnStage(stages[i].trimmed(), stageInput, link[1], errors[1], m_group > 0 ? m_group : 0, &pid);
        if (rc == 0) {
            m_pids.push_back(pid);
            if (m_group <= 0) m_group = pid;
        }
        closeFd(stageInput);
        closeFd(link[1]);
        stageInput = link[0];
    }
    closeFd(stageInput);
    closeFd(output[1]);
    closeFd(errors[1]);
    if (rc != 0) {
        // A stage that cannot join the group means its leader already ended.
        *error = rc == EPERM || rc == ESRCH ? QStringLiteral("翻译引擎意外退出") : failure(rc);
        stop();
        return false;
    }
    setNonBlocking(m_input);
    setNonBlocking(m_output);
    setNonBlocking(m_errors);
    return true;
}

void ApertiumStages::stop()
{
    // While one stage is still unreaped the group exists, so its id cannot
    // have been given to anyone else.
    const bool groupAlive = std::any_of(m_pids.begin(), m_pids.end(), [](pid_t pid) { return pid > 0; });
    if (groupAlive && m_group > 0) ::kill(-m_group, SIGKILL);
    for (pid_t pid : m_pids) {
        if (pid <= 0) continue;
        ::kill(pid, SIGKILL);  // also one that left the group
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    m_pids.clear();
    m_group = -1;
    closeFd(m_input);
    closeFd(m_output);
    closeFd(m_errors);
}

bool ApertiumStages::allRunning()
{
    if (m_pids.empty()) return false;
    for (pid_t& pid : m_pids) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == 0) continue;
        pid = -1;  // reaped (or not ours): never signal that id again
        stop();
        return false;
    }
    return true;
}

}  // namespace klipo::platform
