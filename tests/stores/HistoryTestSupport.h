#pragma once

// The history tests' shared set-up: a fresh history folder per test, images
// and hand-written index files.

#include "StoreTestSupport.h"

#include "platform/SettingsStore.h"
#include "stores/HistoryLimit.h"
#include "stores/HistoryStore.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QUuid>

#include <memory>
#include <optional>

namespace klipo::test {

inline QImage sampleImage(int width = 64, int height = 48)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    return image;
}

inline QString newId() { return QUuid::createUuid().toString(QUuid::WithoutBraces); }

// A record object for a hand-written index file.
inline QByteArray recordJson(const QString& id, const QString& date, const QString& imageName,
                             const QString& sourceName = {})
{
    QByteArray json = "{\"id\":\"" + id.toUtf8() + "\",\"date\":\"" + date.toUtf8() + "\",\"imageName\":\"" +
                      imageName.toUtf8() + "\"";
    if (!sourceName.isEmpty()) json += ",\"originalImageName\":\"" + sourceName.toUtf8() + "\"";
    return json + ",\"originalText\":\"t\"}";
}

inline QByteArray indexJson(const QList<QByteArray>& records)
{
    return "{\"version\":1,\"records\":[" + QByteArrayList(records).join(',') + "]}";
}

class HistoryStoreTest : public ::testing::Test {
protected:
    void SetUp() override { dir = freshDir(QStringLiteral("history")); }
    void TearDown() override
    {
        platform::SettingsStore::shared().remove(QStringLiteral("historyLimit"));
        historylimit::setConfirmed(platform::SettingsStore::shared(), true);
    }

    std::unique_ptr<HistoryStore> open() { return std::make_unique<HistoryStore>(dir); }
    // Empties the folder for another round of one test.
    void reset() const
    {
        QDir(dir).removeRecursively();
        QDir().mkpath(dir);
    }

    std::optional<HistoryRecord> save(HistoryStore& store, const QImage& image = sampleImage(),
                                      std::optional<QImage> source = std::nullopt)
    {
        std::optional<std::optional<HistoryRecord>> result;
        store.save(image, source, "source", "译文", "zh-Hans", [&](std::optional<HistoryRecord> r) { result = r; });
        EXPECT_TRUE(waitFor([&] { return result.has_value(); }));
        return result.value_or(std::nullopt);
    }

    bool exists(const QString& name) const { return QFileInfo::exists(dir + '/' + name); }
    QStringList entries(const QString& pattern) const
    {
        return QDir(dir).entryList({pattern}, QDir::AllEntries | QDir::NoDotAndDotDot);
    }
    void writeIndex(const QByteArray& data) const { writeFile(dir + "/index.json", data); }
    void touch(const QString& name) const { writeFile(dir + '/' + name, "x"); }

    QString dir;
};

}  // namespace klipo::test
