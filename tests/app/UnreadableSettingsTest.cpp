// Settings stored as values of a kind their readers cannot take: told to the
// user once each, and never written over.
#include "app/UnreadableSettings.h"
#include "platform/SettingsStore.h"
#include "support/AlertLog.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

using namespace klipo;
using Kind = UnreadableSettings::Kind;

namespace {

struct Values {
    QJsonValue wrong;
    QJsonValue right;
};

// A value of the wrong kind and one of the right kind for each key.
Values valuesFor(const UnreadableSettings::Entry& entry)
{
    switch (entry.kind) {
    case Kind::boolean: return {QStringLiteral("false"), false};
    case Kind::looseBoolean: return {QJsonObject{}, QStringLiteral("YES")};
    case Kind::integer: return {QStringLiteral("0"), 0};
    case Kind::text: return {42, QString()};
    case Kind::choice: return {entry.choices.first().toUpper(), entry.choices.last()};
    }
    return {};
}

QString storeWith(const std::function<QJsonValue(const Values&)>& pick, QByteArray* written = nullptr)
{
    QJsonObject object;
    for (const UnreadableSettings::Entry& entry : UnreadableSettings::entries())
        object.insert(entry.key, pick(valuesFor(entry)));
    const QString path = test::freshDir(QStringLiteral("unreadable")) + "/defaults.json";
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    const QByteArray bytes = QJsonDocument(object).toJson();
    file.write(bytes);
    if (written) *written = bytes;
    return path;
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

TEST(UnreadableSettings, everyKeyOfTheWrongKind_IsNamedInOneMessage_AndTheFileIsLeftAsWritten)
{
    QByteArray written;
    const QString path = storeWith([](const Values& v) { return v.wrong; }, &written);
    test::AlertLog alerts;
    platform::SettingsStore store(path);
    UnreadableSettings notice(store);

    QStringList all;
    for (const UnreadableSettings::Entry& entry : UnreadableSettings::entries()) all << entry.key;
    EXPECT_EQ(UnreadableSettings::unreadableKeys(store), all);
    const QStringList told = alerts.texts();
    ASSERT_EQ(told.size(), 1) << told.join('\n').toStdString();
    EXPECT_TRUE(told.first().startsWith(QStringLiteral("有 %1 项设置无法读取").arg(all.size())));
    for (const UnreadableSettings::Entry& entry : UnreadableSettings::entries())
        EXPECT_TRUE(told.first().contains(QStringLiteral("「%1」").arg(entry.title))) << entry.key.data();
    EXPECT_TRUE(told.first().contains(QStringLiteral("确认保留条数之前不会删除任何历史记录")));
    EXPECT_EQ(contents(path), written);
}

TEST(UnreadableSettings, valuesOfTheRightKind_AreNotMentioned)
{
    const QString path = storeWith([](const Values& v) { return v.right; });
    test::AlertLog alerts;
    platform::SettingsStore store(path);
    UnreadableSettings notice(store);
    EXPECT_TRUE(UnreadableSettings::unreadableKeys(store).isEmpty());
    EXPECT_TRUE(alerts.texts().isEmpty()) << alerts.texts().join('\n').toStdString();
}

// A value that turns unreadable while the program runs (a hand edit, another
// copy) is told then, once; mended and broken again, it is told again.
TEST(UnreadableSettings, aValueThatTurnsUnreadableLater_IsToldThen_OnceEachTime)
{
    const QString path = storeWith([](const Values& v) { return v.right; });
    test::AlertLog alerts;
    platform::SettingsStore store(path);
    UnreadableSettings notice(store);
    store.setValue("saveHistory", QStringLiteral("no"));
    store.setValue("menuBarOnly", true);
    store.setValue("saveHistory", QStringLiteral("off"));  // still the same setting that could not be read
    store.setValue("saveHistory", false);
    store.setValue("saveHistory", 0);
    EXPECT_EQ(alerts.texts(), QStringList(2, QStringLiteral("有 1 项设置无法读取 | 「保存历史记录」的值类型不对，暂按默认值使用；"
                                                          "设置文件中的原值未改动，到「设置」里重新选择即可更正")));
}
