#include "preferences/PrefsTargetLanguages.h"

#include "app/Settings.h"
#include "platform/text/ApertiumTranslator.h"

#include <QHash>

namespace klipo::PrefsTargetLanguages {

namespace {

bool isCjk(const QString& code)
{
    return code.startsWith(QLatin1String("zh")) || code == QLatin1String("ja") || code == QLatin1String("ko");
}

// Every language goes by its own name, as the five the program names do
// ("English", "日本語"): "Español", "Deutsch". A code without one keeps its
// Chinese name.
QString displayName(const QString& code)
{
    for (const Settings::LanguageOption& option : Settings::supportedLanguages())
        if (option.code == code) return option.name;
    static const QHash<QString, QString> ownNames{
        {"es", "Español"},       {"fr", "Français"},   {"de", "Deutsch"},        {"it", "Italiano"},
        {"pt", "Português"},     {"ca", "Català"},     {"gl", "Galego"},         {"nl", "Nederlands"},
        {"af", "Afrikaans"},     {"ru", "Русский"},    {"uk", "Українська"},     {"be", "Беларуская"},
        {"bg", "Български"},     {"mk", "Македонски"}, {"sh", "Srpskohrvatski"}, {"sl", "Slovenščina"},
        {"pl", "Polski"},        {"ro", "Română"},     {"eo", "Esperanto"},      {"eu", "Euskara"},
        {"oc", "Occitan"},       {"an", "Aragonés"},   {"ast", "Asturianu"},     {"sc", "Sardu"},
        {"br", "Brezhoneg"},     {"da", "Dansk"},      {"no", "Norsk"},          {"nb", "Norsk bokmål"},
        {"nn", "Norsk nynorsk"}, {"sv", "Svenska"},    {"is", "Íslenska"},       {"id", "Bahasa Indonesia"},
        {"ms", "Bahasa Melayu"}, {"hi", "हिन्दी"},      {"ur", "اردو"},
    };
    return ownNames.value(code, platform::chineseLanguageName(code));
}

// A Debian pack that translates into `target` from some language, if any.
QString packageInto(const QString& target)
{
    static const char* const sources[] = {"es", "en", "fr", "ca", "pt", "it", "eo", "gl", "ro", "eu", "sh", "mk",
                                          "is", "nl", "af", "ru", "uk", "be", "bg", "sl", "da", "sv", "no", "nb",
                                          "nn", "oc", "an", "ast", "sc", "br", "pl", "id", "ms", "ur", "hi"};
    for (const char* source : sources) {
        if (target == QLatin1String(source)) continue;
        if (const auto package = platform::debianPackageFor(QLatin1String(source), target)) return *package;
    }
    return {};
}

QString reasonFor(const QString& code)
{
    if (isCjk(code))
        return QStringLiteral("无法使用：Debian 没有译入%1的语言包").arg(platform::chineseLanguageName(code));
    const QString package = packageInto(code);
    if (package.isEmpty()) return QStringLiteral("无法使用：Debian 没有译入这种语言的语言包");
    return QStringLiteral("需先安装语言包 %1").arg(package);
}

}  // namespace

QString Choice::label() const
{
    if (!sources.isEmpty()) {
        QStringList names;
        for (const QString& source : sources) names.append(platform::chineseLanguageName(source));
        return QStringLiteral("%1（可从%2译入）").arg(name, names.join(QStringLiteral("、")));
    }
    return QStringLiteral("%1（%2）").arg(name, reason);
}

QList<Choice> choices(const std::vector<platform::ApertiumMode>& installed)
{
    QStringList codes;
    for (const Settings::LanguageOption& option : Settings::supportedLanguages()) codes.append(option.code);
    for (const platform::ApertiumMode& mode : installed)
        if (!codes.contains(mode.target)) codes.append(mode.target);

    QList<Choice> list;
    for (const QString& code : codes) {
        Choice choice{code, displayName(code), {}, {}};
        for (const platform::ApertiumMode& mode : installed)
            if (mode.target == code && !choice.sources.contains(mode.source)) choice.sources.append(mode.source);
        if (choice.sources.isEmpty()) choice.reason = reasonFor(code);
        list.append(choice);
    }
    return list;
}

QList<Choice> installedChoices() { return choices(platform::installedModes(platform::ApertiumOptions{}.modesDir)); }

}  // namespace klipo::PrefsTargetLanguages
