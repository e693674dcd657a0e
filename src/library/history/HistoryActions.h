#pragma once

#include "stores/HistoryRecord.h"

#include <QByteArray>
#include <QString>

#include <functional>

class QWidget;

namespace klipo {

class HistoryStore;
class VocabularyStore;

// What the history section does to a record: copy, save, delete, clear.
// Every failure is told to the user in the toast; nothing is reported done
// that was not.
namespace historyactions {

// True when the record has a translation to copy (a screenshot has none).
bool hasTranslation(const HistoryRecord& record);
// Puts the translation on the clipboard as plain text; does nothing without one.
void copyTranslation(const HistoryRecord& record);

// "KlipoVersa-" + the date text + ".png", with the time's ":" written as "."
// (FAT and exFAT refuse ":" in names).
QString proposedFileName(const HistoryRecord& record);

struct StoredImage {
    QByteArray png;  // the stored file's bytes as they are
    QString error;   // for the user, when it could not be read
};
// The record's image as PNG data: the stored file byte for byte (it is PNG
// already), or encoded when the file is some other image. Any thread.
StoredImage readStoredImage(const QString& historyDirectory, const HistoryRecord& record);

// Writes the data to the path, replacing a file there; an error text for the
// user, or empty.
QString writeImageFile(const QString& path, const QByteArray& data);

// Asks where to save (the proposed path in; empty out when cancelled).
// Replaceable so that tests answer instead of the file dialog.
using SavePathChooser = std::function<QString(QWidget* parent, const QString& proposedPath)>;
SavePathChooser& savePathChooser();

// The whole "保存图片…" flow: read the image in the background, ask for a
// place, write it. `parent` may go away meanwhile; then the flow stops.
void saveImage(HistoryStore& store, const HistoryRecord& record, QWidget* parent);

// Deletes the record; the vocabulary book gives up the record's words only
// once the store reports the record gone.
void deleteRecord(HistoryStore& history, VocabularyStore& vocabulary, const HistoryRecord& record);
// Clears the whole history the same way; mastered words stay in the book.
void clearAll(HistoryStore& history, VocabularyStore& vocabulary);

}  // namespace historyactions

}  // namespace klipo
