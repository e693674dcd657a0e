#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

// How a toast's subtitle fits its card. A path in it ("/home/me/…" or
// "~/…", after a blank or an opening mark) is what gets shortened, in its
// middle; the words around it (a failure's reason) never are.
namespace klipo::CaptureHUDText {

// The subtitle as drawn in lines of `width`. Told in full (`wraps`): over as
// many lines as it needs, no path wider than a line. Otherwise one line:
// a text that fits stays as it is; one with paths gets them shortened to
// fit, or, when even that leaves too little of them, goes over several
// lines as told in full; any other is shortened in its middle.
QStringList lines(const QString& text, const QFont& font, double width, bool wraps);

// The text broken into lines no wider than `width` (at word boundaries,
// anywhere between Chinese characters).
QStringList wrapped(const QString& text, const QFont& font, double width);

}  // namespace klipo::CaptureHUDText
