#pragma once

#include <QLocale>
#include <QString>

namespace klipo::QtTranslations {

// The language of Qt's own texts (standard buttons, the file dialog): the
// system's when Qt is translated into it, English as Qt ships it, and Chinese,
// the program's own language, for everything else ("C" included). The answer
// is a Qt translation suffix ("zh_CN", "zh_TW", "de" ...), empty for English.
QString languageFor(const QLocale& system);

// The same with the user's stored interface language ("zh-Hans", "en"), which
// wins over the system's; an empty or unknown choice follows the system.
QString languageFor(const QString& chosen, const QLocale& system);

// The program's locale for a translation suffix: that language's, or
// English (the system's own variant when it is English).
QLocale localeFor(const QString& suffix, const QLocale& system);

// Makes `localeFor(languageFor(chosen, system))` the program's locale, so that
// dates and numbers, Qt's dialogs included, follow the interface language, and
// loads Qt's translation for that language into the application (with the few
// texts of the file dialog Qt's Chinese lacks). Returns the suffix loaded;
// empty when English or when no file was found.
QString install(const QString& chosen, const QLocale& system = QLocale::system());
QString install(const QLocale& system = QLocale::system());

}  // namespace klipo::QtTranslations
