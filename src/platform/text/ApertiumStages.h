#pragma once

#include <QString>
#include <QStringList>

#include <vector>

#include <sys/types.h>

namespace klipo::platform {

// The processes of one kept-open translation pipeline. Each stage of the
// mode's shell pipeline is started on its own (through the shell, for its
// quoting), joined to its neighbours by pipes that only those two hold, and
// all stages share one process group. So when any stage ends, the stages
// after it see the end of their input and end too, and the output closes at
// once; nothing else keeps it open. Not thread-safe: the owner locks.
class ApertiumStages {
public:
    ApertiumStages() = default;
    ~ApertiumStages();
    ApertiumStages(const ApertiumStages&) = delete;
    ApertiumStages& operator=(const ApertiumStages&) = delete;

    // Starts the stages, each a shell command in which "$1" is the
    // generator's option (-n: no marks on unknown words) and "$2" the
    // tagger's (none). Stops what ran before.
    bool start(const QStringList& stages, QString* error);
    // Kills every stage and closes the pipes.
    void stop();
    // Whether every stage still runs; when one has ended, stops the rest.
    bool allRunning();

    // Our ends, non-blocking: the first stage's input (a socket, so writing
    // after it died gives an error rather than SIGPIPE), the last stage's
    // output, and every stage's error output.
    int input() const { return m_input; }
    int output() const { return m_output; }
    int errors() const { return m_errors; }

    pid_t groupId() const { return m_group; }
    const std::vector<pid_t>& pids() const { return m_pids; }

private:
    std::vector<pid_t> m_pids;  // in stage order; -1 once reaped
    pid_t m_group = -1;         // led by the first stage
    int m_input = -1;
    int m_output = -1;
    int m_errors = -1;
};

}  // namespace klipo::platform
