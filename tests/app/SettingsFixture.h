#pragma once

#include "platform/SettingsStore.h"

#include <gtest/gtest.h>

#include <QJsonValue>
#include <QStringList>

namespace klipo::test {

// Writes settings into the shared store for one test and removes them after.
class SettingsTest : public ::testing::Test {
protected:
    void set(const QString& key, const QJsonValue& value)
    {
        platform::SettingsStore::shared().setValue(key, value);
        m_keys.append(key);
    }
    void TearDown() override
    {
        for (const QString& key : m_keys) platform::SettingsStore::shared().remove(key);
    }

private:
    QStringList m_keys;
};

}  // namespace klipo::test
