#pragma once

#include <QObject>
#include <QTimer>

class QScreen;

namespace klipo::platform {

// One signal for a burst of changes to the screens: a screen added or
// removed, another primary screen, or a screen's place, size or scale
// changed. A change of the space free of panels (a task bar showing) does
// not count. `changed` comes once the burst has been quiet for `quietMs`.
class ScreenChangeWatcher : public QObject {
    Q_OBJECT
public:
    explicit ScreenChangeWatcher(QObject* parent = nullptr, int quietMs = 250);

    // Notes one change; what the screens' signals call.
    void noteChange();

Q_SIGNALS:
    void changed();

private:
    void watch(QScreen* screen);

    QTimer m_quiet;
};

}  // namespace klipo::platform
