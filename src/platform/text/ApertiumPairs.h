#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace klipo::platform {

// One installed translation direction: the pair's languages as BCP 47 primary
// codes and the mode file that describes its pipeline.
struct ApertiumMode {
    QString source;
    QString target;
    QString modeFile;
};

// Apertium's language codes (ISO 639-3 or 639-1, as each pair names them)
// mapped to the primary codes the rest of the program uses ("spa" -> "es").
QString primaryLanguageCode(const QString& apertiumCode);

// The primary subtag of a BCP 47 code, lower-cased ("en-US" -> "en"). Chinese
// keeps its script ("zh-Hant"), since the two are different packs.
QString pairLanguageCode(const QString& bcp47);

// The installed directions, read from the mode files of `modesDir` (names like
// "spa-eng.mode"; variants such as "spa-eng_US.mode" are skipped).
std::vector<ApertiumMode> installedModes(const QString& modesDir);

// The Debian package that holds the pair, if Debian has one.
std::optional<QString> debianPackageFor(const QString& source, const QString& target);

// The Chinese name of a language for messages ("es" -> "西班牙语"); the code
// itself when the table does not know it.
QString chineseLanguageName(const QString& code);

// The stages of a shell pipeline: the command split at each "|" that stands
// outside quotes, each stage trimmed.
QStringList pipelineStages(const QString& command);

// Turns a mode file's command into one that answers every request as soon as
// it ends in a NUL byte: each Apertium stream program gets the null-flush
// option "-z"; the positional parameters stay for the shell.
QString nullFlushingCommand(const QString& modeCommand);

// The language's Chinese name for a message, or `unnamed` when the program
// has no name for it: a message never shows a bare code ("rw").
QString languageNameOr(const QString& code, const QString& unnamed);

}  // namespace klipo::platform
