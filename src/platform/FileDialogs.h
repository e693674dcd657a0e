#pragma once

#include <QString>

class QFileDialog;
class QWidget;

namespace klipo::platform {

// Qt's file dialog in the program's locale (QLocale()) throughout: Qt writes
// the sizes and dates of its list in the system's locale, so a Chinese
// program on an English system showed "7 Dec" under Chinese headers. The
// columns get room for those texts. Where the system speaks another language
// than the program, the desktop's own dialog would too, so Qt's is used.
// Call once, before the dialog is shown.
void localizeFileDialog(QFileDialog& dialog);

// Makes `dialog` ask where to save a PNG image, starting in the folder of
// `proposedPath` with its name alone in the name field (whatever the dialog
// would make of a whole path), localized as above.
void prepareSavePng(QFileDialog& dialog, const QString& proposedPath);

// Asks where to save a PNG image in a modal save dialog (prepareSavePng).
// Empty when the user cancels.
QString askSavePngPath(QWidget* parent, const QString& title, const QString& proposedPath);

}  // namespace klipo::platform
