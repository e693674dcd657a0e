#include "overlay/SelSession.h"

namespace klipo {

quint64 SelSession::start(SelRequest request)
{
    m_active = true;
    m_phase = SelPhase::selecting;
    m_request = std::move(request);
    return ++m_generation;
}

std::optional<SelSession::Completions> SelSession::end()
{
    if (!m_active) return std::nullopt;
    m_active = false;
    ++m_generation;
    m_phase = SelPhase::selecting;
    Completions owed{std::move(m_request.pickRectCompletion), std::move(m_request.pickImageCompletion)};
    m_request = SelRequest{};
    return owed;
}

}  // namespace klipo
