#include "stores/CloudSettings.h"

#include "platform/SettingsStore.h"
#include "stores/HistoryLimit.h"
#include "stores/HistoryStore.h"

#include <QRegularExpression>

#include <climits>

namespace klipo::cloudsettings {

namespace {

const QString kTargetLanguage = QStringLiteral("targetLanguage");
const QString kHistoryLimit = QStringLiteral("historyLimit");
const QString kSaveHistory = QStringLiteral("saveHistory");

// A value from another computer, short enough to quote in the status line.
QString quoted(const QString& value)
{
    const QString shown = value.size() > 20 ? value.left(20) + QStringLiteral("…") : value;
    return QStringLiteral("「%1」").arg(shown);
}

std::optional<int> decimalInteger(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^[+-]?[0-9]+$"));
    if (!form.match(text).hasMatch()) return std::nullopt;
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    if (!ok || value < INT_MIN || value > INT_MAX) return std::nullopt;
    return int(value);
}

}  // namespace

CloudBackup::Settings payload(const platform::SettingsStore& settings)
{
    QString language = settings.stringValue(kTargetLanguage);
    if (language.isEmpty()) language = QStringLiteral("zh-Hans");
    return {{kTargetLanguage, language},
            {kHistoryLimit, QString::number(HistoryStore::historyLimitSetting(settings))},
            {kSaveHistory, settings.boolValue(kSaveHistory, true) ? QStringLiteral("true") : QStringLiteral("false")}};
}

bool isLanguageCode(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^[a-z]{2,3}(-[A-Za-z0-9]{2,8}){0,3}$"));
    return form.match(text).hasMatch();
}

Outcome apply(platform::SettingsStore& settings, const CloudBackup::Settings& payload, qsizetype localRecordCount)
{
    QStringList refused;
    int present = 0;
    if (payload.contains(kTargetLanguage)) {
        ++present;
        const QString language = payload.value(kTargetLanguage);
        if (isLanguageCode(language))
            settings.setValue(kTargetLanguage, language);
        else
            refused << QStringLiteral("目标语言%1不是语言代码").arg(quoted(language));
    }
    if (payload.contains(kHistoryLimit)) {
        ++present;
        const QString text = payload.value(kHistoryLimit);
        const std::optional<int> limit = decimalInteger(text);
        if (!limit)
            refused << QStringLiteral("历史记录上限%1不是整数").arg(quoted(text));
        else if (*limit >= 1 && *limit < localRecordCount)
            refused << QStringLiteral("历史记录上限 %1 少于本机的 %2 条记录").arg(*limit).arg(localRecordCount);
        else if (*limit != HistoryStore::historyLimitSetting(settings)) {
            // Another computer's choice: kept, but it trims nothing here
            // until the user confirms it.
            settings.setValue(kHistoryLimit, *limit);
            historylimit::setConfirmed(settings, false);
        }
    }
    if (payload.contains(kSaveHistory)) {
        ++present;
        const QString text = payload.value(kSaveHistory);
        if (text == QLatin1String("true") || text == QLatin1String("false"))
            settings.setValue(kSaveHistory, text == QLatin1String("true"));
        else
            refused << QStringLiteral("保存历史%1不是 true 或 false").arg(quoted(text));
    }
    return {int(present - refused.size()), refused};
}

}  // namespace klipo::cloudsettings
