#include "scroll/ScrollWheelPacer.h"

#include <algorithm>
#include <cmath>

namespace klipo {

ScrollWheelPacer::ScrollWheelPacer(int stepPx, int frameRows, int minOverlap)
    : m_stepPx(std::max(stepPx, 1)), m_maxStepPx(frameRows - minOverlap - 1)
{
}

std::optional<double> ScrollWheelPacer::pixelsPerNotch() const
{
    // Two notches over two seams at least: one notch may have been caught
    // halfway through a smooth-scrolling animation.
    if (m_samples < 2 || m_sumNotches < 2 || m_sumOffset <= 0) return std::nullopt;
    return double(m_sumOffset) / double(m_sumNotches);
}

bool ScrollWheelPacer::notchTooFar() const
{
    const auto perNotch = pixelsPerNotch();
    return perNotch && *perNotch > m_maxStepPx;
}

int ScrollWheelPacer::notchesForTick() const
{
    if (!m_anyKept || m_keptAt != m_posted) return 0;
    const auto perNotch = pixelsPerNotch();
    if (!perNotch) return 1;
    const int wanted = std::max(1, int(double(m_stepPx) / *perNotch));
    const int allowed = int(double(m_maxStepPx) / *perNotch);
    return std::min(wanted, allowed);
}

std::optional<int> ScrollWheelPacer::takeStepHint()
{
    const auto perNotch = pixelsPerNotch();
    if (!perNotch || m_hintInFlight || m_posted <= m_keptAt) return std::nullopt;
    m_hintInFlight = true;
    return std::max(1, int(std::lround(double(m_posted - m_keptAt) * *perNotch)));
}

void ScrollWheelPacer::frameKept(int notchesAtGrab, int offset, bool exactSeam, bool carriedHint, bool byMovement)
{
    if (carriedHint) m_hintInFlight = false;
    const int notches = notchesAtGrab - m_keptAt;
    // Frames kept before the first notch moved by the user's hand: they say
    // nothing about the wheel.
    if (m_anyKept && (notches > 0 || m_sumNotches > 0)) {
        if (exactSeam) {
            // Summed, not averaged per seam: the part of a scroll that a
            // frame caught mid-animation missed turns up in the next seam.
            m_sumOffset += offset;
            m_sumNotches += notches;
            ++m_samples;
        }
        if (notches > 0 && !byMovement) m_inexactInRow = exactSeam ? 0 : m_inexactInRow + 1;
    }
    m_keptAt = std::max(m_keptAt, notchesAtGrab);
    m_anyKept = true;
}

void ScrollWheelPacer::frameNotKept(bool carriedHint)
{
    if (carriedHint) m_hintInFlight = false;
}

}  // namespace klipo
