#include "app/shell/QtTranslations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

namespace klipo::QtTranslations {

namespace {

QString translationsFolder() { return QLibraryInfo::path(QLibraryInfo::TranslationsPath); }

bool hasTranslation(const QString& suffix)
{
    return QFileInfo::exists(QDir(translationsFolder()).filePath(QStringLiteral("qtbase_%1.qm").arg(suffix)));
}

// Texts of Qt's file dialog that Qt's own Chinese translation lacks.
class ChineseGaps final : public QTranslator {
public:
    ChineseGaps(bool traditional, QObject* parent) : QTranslator(parent), m_traditional(traditional) {}

    bool isEmpty() const override { return false; }

    QString translate(const char* context, const char* sourceText, const char*, int) const override
    {
        if (qstrcmp(context, "QAbstractFileIconProvider") == 0 && qstrcmp(sourceText, "Folder") == 0)
            return m_traditional ? QStringLiteral("資料夾") : QStringLiteral("文件夹");
        return {};
    }

private:
    bool m_traditional;
};

}  // namespace

QString languageFor(const QLocale& system)
{
    const QString chinese = QStringLiteral("zh_CN");
    switch (system.language()) {
    case QLocale::Chinese: {
        const bool traditional = system.script() == QLocale::TraditionalChineseScript ||
                                 system.territory() == QLocale::Taiwan || system.territory() == QLocale::HongKong ||
                                 system.territory() == QLocale::Macao;
        return traditional ? QStringLiteral("zh_TW") : chinese;
    }
    case QLocale::English:
        return {};
    case QLocale::C:
    case QLocale::AnyLanguage:
        return chinese;
    default:
        break;
    }
    const QString full = system.name();  // "pt_BR"
    if (hasTranslation(full)) return full;
    const QString language = full.section(QLatin1Char('_'), 0, 0);
    return hasTranslation(language) ? language : chinese;
}

QString languageFor(const QString& chosen, const QLocale& system)
{
    if (chosen == QLatin1String("en")) return {};
    if (chosen == QLatin1String("zh-Hans")) return QStringLiteral("zh_CN");
    if (chosen == QLatin1String("zh-Hant")) return QStringLiteral("zh_TW");
    return languageFor(system);
}

QString install(const QLocale& system) { return install(QString(), system); }

QLocale localeFor(const QString& suffix, const QLocale& system)
{
    if (!suffix.isEmpty()) return QLocale(suffix);
    return system.language() == QLocale::English ? system : QLocale(QLocale::English, QLocale::UnitedStates);
}

QString install(const QString& chosen, const QLocale& system)
{
    const QString suffix = languageFor(chosen, system);
    QLocale::setDefault(localeFor(suffix, system));
    if (suffix.isEmpty()) return {};
    if (suffix.startsWith(QLatin1String("zh_")))
        QCoreApplication::installTranslator(
            new ChineseGaps(suffix == QLatin1String("zh_TW"), QCoreApplication::instance()));
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_") + suffix, translationsFolder())) {
        delete translator;
        return {};
    }
    QCoreApplication::installTranslator(translator);
    return suffix;
}

}  // namespace klipo::QtTranslations
