#include "platform/text/ApertiumPairs.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

namespace klipo::platform {

namespace {

const QHash<QString, QString>& threeLetterCodes()
{
    static const QHash<QString, QString> codes = {
        {"afr", "af"}, {"nld", "nl"}, {"arg", "an"}, {"cat", "ca"}, {"bel", "be"}, {"rus", "ru"},
        {"bre", "br"}, {"fra", "fr"}, {"ita", "it"}, {"srd", "sc"}, {"dan", "da"}, {"nor", "no"},
        {"eng", "en"}, {"glg", "gl"}, {"spa", "es"}, {"epo", "eo"}, {"por", "pt"}, {"ron", "ro"},
        {"eus", "eu"}, {"hbs", "sh"}, {"mkd", "mk"}, {"slv", "sl"}, {"ind", "id"}, {"zlm", "ms"},
        {"msa", "ms"}, {"isl", "is"}, {"swe", "sv"}, {"bul", "bg"}, {"nno", "nn"}, {"nob", "nb"},
        {"oci", "oc"}, {"pol", "pl"}, {"ukr", "uk"}, {"urd", "ur"}, {"hin", "hi"}, {"deu", "de"},
        {"zho", "zh-Hans"}, {"jpn", "ja"}, {"kor", "ko"},
    };
    return codes;
}

struct DebianPair {
    const char* package;
    const char* first;
    const char* second;
};

// Debian's Apertium pair packages (transitional dummies left out). Most pairs
// translate both ways; the table does not try to know the exceptions.
constexpr DebianPair kDebianPairs[] = {
    {"apertium-afr-nld", "af", "nl"}, {"apertium-arg-cat", "an", "ca"}, {"apertium-bel-rus", "be", "ru"},
    {"apertium-br-fr", "br", "fr"},   {"apertium-cat-ita", "ca", "it"}, {"apertium-cat-srd", "ca", "sc"},
    {"apertium-dan-nor", "da", "no"}, {"apertium-en-gl", "en", "gl"},   {"apertium-eng-cat", "en", "ca"},
    {"apertium-eng-spa", "en", "es"}, {"apertium-eo-ca", "eo", "ca"},   {"apertium-eo-en", "eo", "en"},
    {"apertium-eo-es", "eo", "es"},   {"apertium-eo-fr", "eo", "fr"},   {"apertium-es-gl", "es", "gl"},
    {"apertium-es-pt", "es", "pt"},   {"apertium-es-ro", "es", "ro"},   {"apertium-eu-en", "eu", "en"},
    {"apertium-eu-es", "eu", "es"},   {"apertium-fr-es", "fr", "es"},   {"apertium-fra-cat", "fr", "ca"},
    {"apertium-fra-frp", "fr", "frp"}, {"apertium-hbs-eng", "sh", "en"}, {"apertium-hbs-mkd", "sh", "mk"},
    {"apertium-hbs-slv", "sh", "sl"}, {"apertium-ind-zlm", "id", "ms"}, {"apertium-isl-eng", "is", "en"},
    {"apertium-isl-swe", "is", "sv"}, {"apertium-mkd-bul", "mk", "bg"}, {"apertium-mkd-eng", "mk", "en"},
    {"apertium-nno-nob", "nn", "nb"}, {"apertium-oc-ca", "oc", "ca"},   {"apertium-oc-es", "oc", "es"},
    {"apertium-oci-fra", "oc", "fr"}, {"apertium-pol-szl", "pl", "szl"}, {"apertium-por-cat", "pt", "ca"},
    {"apertium-pt-gl", "pt", "gl"},   {"apertium-rus-ukr", "ru", "uk"}, {"apertium-spa-arg", "es", "an"},
    {"apertium-spa-ast", "es", "ast"}, {"apertium-spa-cat", "es", "ca"}, {"apertium-spa-ita", "es", "it"},
    {"apertium-srd-ita", "sc", "it"}, {"apertium-swe-dan", "sv", "da"}, {"apertium-swe-nor", "sv", "no"},
    {"apertium-urd-hin", "ur", "hi"},
};

// Serbo-Croatian is one pack for the three standard languages.
QString packLanguage(const QString& code)
{
    if (code == QLatin1String("sr") || code == QLatin1String("hr") || code == QLatin1String("bs"))
        return QStringLiteral("sh");
    return code;
}

bool isStreamProgram(const QString& program)
{
    static const QRegularExpression pattern(QStringLiteral("^(apertium-[\\w-]+|lt-proc|lrx-proc|cg-proc|hfst-proc|rtx-proc)$"));
    return pattern.match(QFileInfo(program).fileName()).hasMatch();
}

}  // namespace

QString primaryLanguageCode(const QString& apertiumCode)
{
    const QString base = apertiumCode.section(QLatin1Char('_'), 0, 0).toLower();
    return threeLetterCodes().value(base, base);
}

QString pairLanguageCode(const QString& bcp47)
{
    const QString lower = bcp47.toLower();
    if (lower.startsWith(QLatin1String("zh"))) {
        const bool traditional = lower.contains(QLatin1String("hant")) || lower.endsWith(QLatin1String("-tw")) ||
                                 lower.endsWith(QLatin1String("-hk")) || lower.endsWith(QLatin1String("-mo"));
        return traditional ? QStringLiteral("zh-Hant") : QStringLiteral("zh-Hans");
    }
    const QString primary = lower.section(QLatin1Char('-'), 0, 0, QString::SectionSkipEmpty);
    return packLanguage(primary.section(QLatin1Char('_'), 0, 0));
}

std::vector<ApertiumMode> installedModes(const QString& modesDir)
{
    static const QRegularExpression name(QStringLiteral("^([a-z]{2,3})-([a-z]{2,3})\\.mode$"));
    std::vector<ApertiumMode> modes;
    const QStringList files = QDir(modesDir).entryList({QStringLiteral("*.mode")}, QDir::Files, QDir::Name);
    for (const QString& file : files) {
        const auto match = name.match(file);
        if (!match.hasMatch()) continue;
        modes.push_back({primaryLanguageCode(match.captured(1)), primaryLanguageCode(match.captured(2)),
                         QDir(modesDir).filePath(file)});
    }
    return modes;
}

std::optional<QString> debianPackageFor(const QString& source, const QString& target)
{
    const QString a = packLanguage(source);
    const QString b = packLanguage(target);
    for (const DebianPair& pair : kDebianPairs) {
        const QString first = QLatin1String(pair.first);
        const QString second = QLatin1String(pair.second);
        if ((a == first && b == second) || (a == second && b == first)) return QLatin1String(pair.package);
    }
    return std::nullopt;
}

QString chineseLanguageName(const QString& code)
{
    static const QHash<QString, QString> names = {
        {"en", "英语"},       {"es", "西班牙语"},   {"fr", "法语"},       {"de", "德语"},     {"it", "意大利语"},
        {"pt", "葡萄牙语"},   {"ca", "加泰罗尼亚语"}, {"gl", "加利西亚语"}, {"nl", "荷兰语"},   {"af", "南非荷兰语"},
        {"ru", "俄语"},       {"uk", "乌克兰语"},   {"be", "白俄罗斯语"}, {"bg", "保加利亚语"}, {"mk", "马其顿语"},
        {"sh", "塞尔维亚-克罗地亚语"}, {"sl", "斯洛文尼亚语"}, {"pl", "波兰语"}, {"ro", "罗马尼亚语"}, {"eo", "世界语"},
        {"eu", "巴斯克语"},   {"oc", "奥克语"},     {"an", "阿拉贡语"},   {"ast", "阿斯图里亚斯语"}, {"sc", "撒丁语"},
        {"br", "布列塔尼语"}, {"da", "丹麦语"},     {"no", "挪威语"},     {"nb", "书面挪威语"}, {"nn", "新挪威语"},
        {"sv", "瑞典语"},     {"is", "冰岛语"},     {"id", "印尼语"},     {"ms", "马来语"},   {"hi", "印地语"},
        {"ur", "乌尔都语"},   {"ja", "日语"},       {"ko", "韩语"},       {"zh-Hans", "简体中文"}, {"zh-Hant", "繁体中文"},
    };
    return names.value(code, code);
}

QStringList pipelineStages(const QString& command)
{
    QStringList stages;
    QString current;
    QChar quote;  // the open quote, if any
    for (qsizetype i = 0; i < command.size(); ++i) {
        const QChar c = command[i];
        if (c == QLatin1Char('\\') && quote != QLatin1Char('\'') && i + 1 < command.size()) {
            current += c;
            current += command[++i];
            continue;
        }
        if (quote.isNull() && (c == QLatin1Char('\'') || c == QLatin1Char('"'))) {
            quote = c;
        } else if (c == quote) {
            quote = QChar();
        } else if (quote.isNull() && c == QLatin1Char('|')) {
            stages << current.trimmed();
            current.clear();
            continue;
        }
        current += c;
    }
    stages << current.trimmed();
    stages.removeAll(QString());
    return stages;
}

QString nullFlushingCommand(const QString& modeCommand)
{
    QStringList stages = pipelineStages(modeCommand);
    for (QString& stage : stages) {
        const QString trimmed = stage.trimmed();
        const qsizetype space = trimmed.indexOf(QLatin1Char(' '));
        const QString program = space < 0 ? trimmed : trimmed.left(space);
        const QString rest = space < 0 ? QString() : trimmed.mid(space);
        const bool hasFlag = rest.startsWith(QLatin1String(" -z ")) || rest == QLatin1String(" -z");
        stage = (isStreamProgram(program) && !hasFlag) ? program + QLatin1String(" -z") + rest : trimmed;
    }
    return stages.join(QLatin1String(" | "));
}

QString languageNameOr(const QString& code, const QString& unnamed)
{
    const QString name = chineseLanguageName(code);
    return name.isEmpty() || name == code ? unnamed : name;
}

}  // namespace klipo::platform
