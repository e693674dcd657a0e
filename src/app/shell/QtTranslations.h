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

// Loads Qt's translation for `languageFor(chosen, system)` into the
// application. Returns the suffix loaded; empty when English or when no file
// was found.
QString install(const QString& chosen, const QLocale& system = QLocale::system());
QString install(const QLocale& system = QLocale::system());

}  // namespace klipo::QtTranslations
