#pragma once

#include "platform/StorageAlerts.h"

#include <QStringList>
#include <QTest>

namespace klipo::test {

// Collects the storage alerts made while it lives, in place of the shell.
class AlertLog {
public:
    AlertLog()
    {
        platform::storagealerts::setSink(
            [this](const platform::storagealerts::Alert& a) { m_texts << a.title + " | " + a.detail; });
    }
    ~AlertLog() { platform::storagealerts::setSink({}); }

    // The alerts so far, as "title | detail", after queued deliveries ran.
    QStringList texts()
    {
        QTest::qWait(20);
        return m_texts;
    }
    // Waits (at most 5 s) for an alert whose title or detail contains `part`.
    bool waitFor(const QString& part)
    {
        return QTest::qWaitFor([&] { return texts().join('\n').contains(part); }, 5000);
    }

private:
    QStringList m_texts;
};

}  // namespace klipo::test
