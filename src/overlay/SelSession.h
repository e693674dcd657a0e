#pragma once

#include "overlay/SelTypes.h"

#include <QtGlobal>

namespace klipo {

// The life of one overlay session: whether one runs, its phase, its request
// and a generation number that changes at every start and every end, so work
// begun for an older session can tell it is stale.
class SelSession {
public:
    bool isActive() const { return m_active; }
    SelPhase phase() const { return m_phase; }
    void setPhase(SelPhase phase) { m_phase = phase; }
    const SelRequest& request() const { return m_request; }
    quint64 generation() const { return m_generation; }
    // True while the session begun at `generation` is still the running one.
    bool isCurrent(quint64 generation) const { return m_active && generation == m_generation; }

    // Starts a session for the request; returns its generation.
    quint64 start(SelRequest request);

    // What an ended session still owes its caller.
    struct Completions {
        std::function<void(std::optional<SelPickedRect>)> pickRect;
        std::function<void(std::optional<QImage>)> pickImage;
    };
    // Ends the running session and hands over its completions (each to be
    // called once); none when no session runs.
    std::optional<Completions> end();

private:
    bool m_active = false;
    SelPhase m_phase = SelPhase::selecting;
    SelRequest m_request;
    quint64 m_generation = 0;
};

}  // namespace klipo
