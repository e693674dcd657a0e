#pragma once

#include <atomic>
#include <memory>

namespace klipo::platform {

// Lets a caller stop running work from another thread. Copies share one flag.
class CancelToken {
public:
    CancelToken() : m_flag(std::make_shared<std::atomic_bool>(false)) {}
    void cancel() const { m_flag->store(true); }
    bool isCancelled() const { return m_flag->load(); }

private:
    std::shared_ptr<std::atomic_bool> m_flag;
};

}  // namespace klipo::platform
