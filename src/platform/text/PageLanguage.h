#pragma once

#include "platform/text/PageLayout.h"

#include <QString>
#include <QStringList>

namespace klipo::platform {

// The Latin script model knows every accented letter of every Latin language,
// and pays for it: it takes nearly twice as long over a line as a language's
// own model and four times as long to load. A page whose long lines are in one
// language with a model of its own installed reads them with that model: the
// language is told from the page's longest lines, which the script model reads
// first. Code and terminals keep the script model (a language's model reads
// their signs worse), as do short labels (they cost little).
class PageLanguage {
public:
    // The installed model of a language ("es" -> "spa"), or empty: none is
    // installed, or none reads as well as the script model.
    static QString modelOf(const QString& languageCode);

    // Whether a line of the layout, read first by the script model, is one a
    // language's model may read instead.
    static bool mayRead(const LayoutLine& line);

    // The model the rest of a page's long lines are read with, given the texts
    // the script model read of its longest ones; empty when the texts are too
    // few or their language unsure or without a model.
    static QString modelFor(const QStringList& texts);
};

}  // namespace klipo::platform
