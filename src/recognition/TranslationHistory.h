#pragma once

#include <QByteArray>
#include <QFuture>
#include <QImage>
#include <QString>

#include <functional>

namespace klipo {

// Where a finished translation is kept: the history (the translated picture,
// the picture it came from and both texts) and, once the record is stored,
// the vocabulary book, fed in the background with the recognised text.
namespace TranslationHistory {

// Does nothing and returns false when the history is switched off
// ("saveHistory"). Otherwise `done` is called on the main thread with whether
// a record was stored. The target language is the current setting.
bool save(const QImage& translated, const QImage& original, const QString& originalText,
          const QString& translatedText, std::function<void(bool saved)> done = {});
// The same with the original picture's PNG encoded ahead (historyimages::pngDataLater).
bool save(const QImage& translated, QFuture<QByteArray> originalPng, const QString& originalText,
          const QString& translatedText, std::function<void(bool saved)> done = {});

}  // namespace TranslationHistory

}  // namespace klipo
