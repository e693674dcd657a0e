#pragma once

#include "platform/StorageAlerts.h"

#include <QList>
#include <QStringList>
#include <QTest>

namespace klipo::test {

// Collects the storage alerts made while it lives, in place of the shell.
class AlertLog {
public:
    AlertLog()
    {
        platform::storagealerts::setSink([this](const platform::storagealerts::Alert& a) { m_alerts << a; });
    }
    ~AlertLog() { platform::storagealerts::setSink({}); }

    // The alerts so far, as "title | detail", after queued deliveries ran.
    QStringList texts()
    {
        QTest::qWait(20);
        QStringList list;
        for (const auto& a : std::as_const(m_alerts)) list << a.title + " | " + a.detail;
        return list;
    }
    // Waits (at most 5 s) for an alert whose title or detail contains `part`.
    bool waitFor(const QString& part)
    {
        return QTest::qWaitFor([&] { return texts().join('\n').contains(part); }, 5000);
    }

private:
    QList<platform::storagealerts::Alert> m_alerts;
};

}  // namespace klipo::test
