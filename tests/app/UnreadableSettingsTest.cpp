// Settings stored as values of a kind their readers cannot take: told to the
// user once each, and never written over.
#include "app/UnreadableSettings.h"
#include "platform/SettingsStore.h"
#include "support/AlertLog.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

using namespace klipo;
using Kind = UnreadableSettings::Kind;

namespace {

// A settings file with, for every key, a value of the wrong kind or of the right one.
QString fileWith(bool wrong)
{
    QJsonObject object;
    for (const UnreadableSettings::Entry& e : UnreadableSettings::entries()) {
        // Wrong and right, in the order of Kind.
        const QJsonValue values[][2] = {{QStringLiteral("false"), false},
                                        {QJsonObject{}, QStringLiteral("YES")},
                                        {QStringLiteral("0"), 0},
                                        {42, QString()},
                                        {e.choices.value(0).toUpper(), e.choices.value(0)}};
        object.insert(e.key, values[int(e.kind)][wrong ? 0 : 1]);
    }
    const QString path = test::freshDir(QStringLiteral("unreadable")) + "/defaults.json";
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(QJsonDocument(object).toJson()) > 0);
    return path;
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

TEST(UnreadableSettings, everyKeyOfTheWrongKind_IsNamedInOneMessage_RightKindsNever_AndTheFileIsLeftAsWritten)
{
    for (bool wrong : {true, false}) {
        SCOPED_TRACE(wrong ? "wrong kinds" : "right kinds");
        const QString path = fileWith(wrong);
        const QByteArray written = contents(path);
        test::AlertLog alerts;
        platform::SettingsStore store(path);
        UnreadableSettings notice(store);
        QStringList expected;
        QString titles;
        for (const UnreadableSettings::Entry& entry : UnreadableSettings::entries()) {
            if (wrong) expected << entry.key;
            titles += QStringLiteral("「%1」").arg(entry.title);
        }
        EXPECT_EQ(UnreadableSettings::unreadableKeys(store), expected);
        const QStringList told = alerts.texts();
        ASSERT_EQ(told.size(), wrong ? 1 : 0) << told.join('\n').toStdString();
        if (wrong) {
            EXPECT_TRUE(told.first().startsWith(QStringLiteral("有 %1 项设置无法读取 | %2的值类型不对")
                                                    .arg(expected.size())
                                                    .arg(titles)));
            EXPECT_TRUE(told.first().endsWith(QStringLiteral("确认保留条数之前不会删除任何历史记录")));
        }
        EXPECT_EQ(contents(path), written);
    }
}

// A value that turns unreadable while the program runs (a hand edit, another
// copy) is told then, once; mended and broken again, it is told again.
TEST(UnreadableSettings, aValueThatTurnsUnreadableLater_IsToldThen_OnceEachTime)
{
    test::AlertLog alerts;
    platform::SettingsStore store(fileWith(false));
    UnreadableSettings notice(store);
    for (const QJsonValue& value : {QJsonValue("no"), QJsonValue("off"), QJsonValue(false), QJsonValue(0)})
        store.setValue("saveHistory", value);
    EXPECT_EQ(alerts.texts(), QStringList(2, QStringLiteral("有 1 项设置无法读取 | 「保存历史记录」的值类型不对，暂按默认值使用；"
                                                          "设置文件中的原值未改动，到「设置」里重新选择即可更正")));
}
