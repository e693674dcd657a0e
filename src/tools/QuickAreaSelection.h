#pragma once

#include "tools/ScreenFreeze.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRectF>

#include <functional>
#include <optional>

namespace klipo {

namespace platform {
class ExclusiveInput;
}
class QuickAreaSelectionView;

// The light-weight selection of the area to remember: the screens are frozen,
// then every screen shows its picture dimmed, and the user drags a rectangle
// on one of them. Esc, a click, a drag under 4 points, or the keyboard going
// to another program ends it on every screen without an area. Main thread.
class QuickAreaSelectionController final : public QObject {
    Q_OBJECT
public:
    // The area in global logical coordinates, or none when cancelled.
    using Completion = std::function<void(std::optional<QRectF>)>;

    static QuickAreaSelectionController& shared();

    // Shows the selection; `completion` runs exactly once. While a selection
    // is being prepared or shown, a new one is refused and its completion
    // dropped.
    void begin(Completion completion);
    bool isActive() const { return m_state != State::idle; }

    QList<QuickAreaSelectionView*> windows() const;

    // Ends the selection: the area when it is given and at least 4 by 4
    // points, otherwise none.
    void finish(std::optional<QRectF> area);

private:
    enum class State { idle, freezing, selecting };

    QuickAreaSelectionController();
    void present(const QList<ScreenFreeze::Frozen>& screens);

    State m_state = State::idle;
    Completion m_completion;
    QList<QPointer<QuickAreaSelectionView>> m_windows;
    platform::ExclusiveInput* m_input = nullptr;
};

}  // namespace klipo
