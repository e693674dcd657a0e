#include "platform/StackKeeper.h"

#include "platform/StackOrder.h"
#include "platform/WindowFocus.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QHash>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <utility>

namespace klipo::platform {

namespace {

// How long window managers take to settle (a window shown again, the focus
// handed on), and how often to look.
constexpr int kSettleMs = 1200;
constexpr int kLookEveryMs = 40;
// A window manager that will not move a window is not asked forever.
constexpr int kMovesPerWindow = 3;

QList<quint32> ownShownWindows()
{
    QList<quint32> ids;
    for (const QWindow* window : QGuiApplication::allWindows())
        if (window->handle() && window->isVisible()) ids.append(quint32(window->winId()));
    return ids;
}

class StackKeeper final : public QObject {
public:
    StackKeeper(QList<StackedWindow> before, std::optional<quint32> active)
        : QObject(QCoreApplication::instance()), m_before(std::move(before)), m_active(active)
    {
        connect(&m_timer, &QTimer::timeout, this, &StackKeeper::look);
        m_timer.start(kLookEveryMs);
    }

private:
    void look()
    {
        if (m_deadline.hasExpired()) {
            deleteLater();
            return;
        }
        // Another window has the focus: the manager is handing it on, or the
        // user has moved; nothing is put back meanwhile.
        if (m_active && windowFocus().activeWindow() != m_active) {
            m_lastLook.clear();
            return;
        }
        // Only a stack that stood still since the last look: a window the user
        // brings to the front is raised a moment before it has the focus.
        const QList<StackedWindow> now = managedWindowsBottomToTop();
        QList<quint32> ids;
        for (const StackedWindow& window : now) ids.append(window.id);
        if (std::exchange(m_lastLook, ids) != ids) return;
        for (const StackMove& move : movesForRisen(m_before, now, ownShownWindows())) {
            QWidget* window = QWidget::find(WId(move.window));
            if (!window || m_moves[move.window]++ >= kMovesPerWindow) continue;
            restackBelow(window, move.sibling);
        }
    }

    QList<StackedWindow> m_before;
    std::optional<quint32> m_active;
    QTimer m_timer;
    QDeadlineTimer m_deadline{kSettleMs};
    QHash<quint32, int> m_moves;
    QList<quint32> m_lastLook;  // the stack at the last look, bottom to top
};

}  // namespace

void keepOwnStacking(QList<StackedWindow> before, std::optional<quint32> active)
{
    if (before.isEmpty() || !QCoreApplication::instance()) return;
    new StackKeeper(std::move(before), active);
}

}  // namespace klipo::platform
