#include "stores/CloudScheduler.h"

#include <QCoreApplication>
#include <QThreadPool>
#include <QTimer>

#include <cmath>

namespace klipo {

namespace {

class SystemScheduler final : public CloudScheduler {
public:
    QDateTime now() override { return QDateTime::currentDateTimeUtc(); }

    Ticket after(double seconds, std::function<void()> task) override
    {
        Ticket ticket;
        const int ms = int(std::lround(std::max(0.0, seconds) * 1000));
        QTimer::singleShot(ms, QCoreApplication::instance(), [ticket, task = std::move(task)] {
            if (!ticket.isCancelled()) task();
        });
        return ticket;
    }

    void background(std::function<void()> task) override { QThreadPool::globalInstance()->start(std::move(task)); }
};

}  // namespace

CloudScheduler& CloudScheduler::system()
{
    static SystemScheduler* instance = new SystemScheduler;
    return *instance;
}

}  // namespace klipo
