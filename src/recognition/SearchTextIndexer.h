#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <QUuid>

namespace klipo {

// Makes plain screenshots findable by what they show: recognises a saved
// screenshot's text in the background and stores it, with the file title, as
// the history record's original text. Recognitions run one at a time, in the
// order asked. Fire and forget; call from the main thread.
namespace SearchTextIndexer {

// The longest recognised text kept per record, in user-perceived characters.
inline constexpr int maxRecognizedCharacters = 4000;

// Does nothing when "indexCaptureText" is off or the image is empty. The
// record keeps its text when recognition fails or finds nothing.
void index(const QUuid& recordID, const QImage& image, const QString& fileTitle);

// The searchable text: the trimmed non-empty paragraphs, one per line (cut to
// maxRecognizedCharacters and "…" when longer), then the trimmed file title,
// always whole, unless it is empty or equal to a paragraph.
QString composeText(const QStringList& recognized, const QString& fileTitle);

}  // namespace SearchTextIndexer

}  // namespace klipo
