#pragma once

#include <QObject>

class QSocketNotifier;

namespace klipo::platform {

// Turns the signals that ask the process to end (SIGTERM, SIGINT, SIGHUP) into
// a Qt signal on the main thread, so that the program ends through its normal
// quit path: temporary files removed, pending state written, a recording
// finished. A second signal of the same kind ends the process at once (a quit
// that hangs can still be stopped).
class QuitSignals final : public QObject {
    Q_OBJECT
public:
    // Installs the handlers on first use; main thread, after the application
    // object exists.
    static QuitSignals& install();

Q_SIGNALS:
    void quitRequested(int signalNumber);

private:
    QuitSignals();
    void readPending();

    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace klipo::platform
