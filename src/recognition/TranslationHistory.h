#pragma once

#include <QByteArray>
#include <QFuture>
#include <QImage>
#include <QString>

#include <QUuid>

#include <functional>
#include <optional>

namespace klipo {

// Where a finished translation is kept: the history (the translated picture,
// the picture it came from and both texts) and, once the record is stored,
// the vocabulary book, fed in the background with the recognised text.
namespace TranslationHistory {

// Does nothing and returns false when the history is switched off
// ("saveHistory"). Otherwise `done` is called on the main thread with whether
// a record was stored. The target language is the current setting.
bool save(const QImage& translated, const QImage& original, const QString& originalText, const QString& translatedText,
          std::function<void(bool saved)> done = {});
// The same with the original picture's PNG encoded ahead (historyimages::pngDataLater).
bool save(const QImage& translated, QFuture<QByteArray> originalPng, const QString& originalText,
          const QString& translatedText, std::function<void(bool saved)> done = {});
// The same where the capture may have been translated and stored before (the
// overlay translates it again after "还原"): the new record takes the place of
// `replacing`, whose record and the words it brought into the book go once the
// new one is stored (a record that could not be stored leaves it). `stored`
// learns the new record's id, none when none was stored.
bool save(const QImage& translated, const QImage& original, const QString& originalText, const QString& translatedText,
          std::optional<QUuid> replacing, std::function<void(std::optional<QUuid> stored)> stored);

}  // namespace TranslationHistory

}  // namespace klipo
