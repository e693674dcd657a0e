#pragma once

#include <QImage>
#include <QString>
#include <QUuid>

#include <functional>

// The history record of a plain screenshot, made findable by what it shows:
// once the record is stored, its text is recognised in the background
// ("indexCaptureText") and stored with the file title. Every road of a plain
// screenshot goes through here: the region picker, the overlay's copy and its
// save. Main thread.
namespace klipo::CaptureTextIndex {

// Recognises a record's text (record id, image, file title) and stores it;
// the shell plugs in the recogniser. None: records keep their title only.
using TextIndexer = std::function<void(const QUuid&, const QImage&, const QString&)>;
void setIndexer(TextIndexer indexer);

// Adds the screenshot to the history under `title` (the file's name, or the
// template's name for now when no file was written) and indexes its text.
void saveToHistory(const QImage& image, const QString& title);

}  // namespace klipo::CaptureTextIndex
