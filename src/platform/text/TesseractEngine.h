#pragma once

#include "platform/text/TextRecognizer.h"

#include <QByteArrayView>
#include <QPoint>
#include <QString>

#include <memory>

namespace tesseract {
class TessBaseAPI;
}

namespace klipo::platform {

// One loaded Tesseract model set ("eng", "chi_sim" ...), used by one thread at
// a time. Loading costs 70-230 ms, so engines are kept.
class TesseractEngine {
public:
    TesseractEngine();
    ~TesseractEngine();
    TesseractEngine(const TesseractEngine&) = delete;
    TesseractEngine& operator=(const TesseractEngine&) = delete;

    // From the installed files of one or more models ("chi_sim+eng").
    bool load(const QString& languages);
    // One model from its file's bytes (whole, or without the word list that
    // an engine of the same model already holds; see ModelFile).
    bool load(const QString& model, QByteArrayView bytes);

    // How many dictionaries (word list, punctuation, numbers) the engine
    // reads with; an engine loaded without its word list that found no other
    // engine's to share has one fewer.
    int dictionaryCount() const;

    // Tesseract keeps the dictionaries of every model it loaded in a cache of
    // its own, engines or not; this frees those no engine uses any more.
    static void freeUnusedDictionaries();
    const QString& languages() const { return m_languages; }

    struct Result {
        bool ok = true;  // false: the engine failed (not: found no text)
        std::vector<RecognizedLine> lines;
        float meanConfidence = 0;
    };

    // Page: find blocks and columns; Block: one block of lines; SingleLine:
    // the picture is one line.
    enum class Layout { Page, Block, SingleLine };

    // Reads a grey picture. Boxes are divided by `scale` and moved by
    // `offset`, so that they land in the caller's image.
    Result read(const QImage& gray, double scale, QPoint offset, bool withSymbols, Layout layout = Layout::Page);

private:
    std::unique_ptr<tesseract::TessBaseAPI> m_api;
    QString m_languages;
};

// One word of a line as the engine read it; its symbols count from the
// start of the word.
struct EngineWord {
    QString text;
    QRect box;
    float confidence = 0;
    std::vector<RecognizedSymbol> symbols;
    // Whether the engine saw blank room before the word in the picture (its
    // word breaks also fall where the script changes, without any).
    bool roomBefore = true;
};

// The line made of the words left once edge noise is dropped from both ends:
// its text (words joined by single spaces, none inside Chinese or Japanese,
// those between Chinese and other text with no room in the picture noted in
// `roomlessSpaces`, Han characters read for signs between Latin text put back
// as the signs),
// its symbols, and the engine's box for the line, which ends where the words
// left end when some were dropped.
RecognizedLine lineOfWords(std::vector<EngineWord> words, const QRect& box, float confidence);

// Takes out of the line's text the spaces put where the script changes with
// no room in the picture ("3 月 15 日" -> "3月15日"), its symbols kept in place:
// the text as the screen shows it, once the readings are weighed.
void dropRoomlessSpaces(RecognizedLine& line);

// The package that installs a Tesseract language ("chi_sim" ->
// "tesseract-ocr-chi-sim").
QString tesseractPackageFor(const QString& language);

}  // namespace klipo::platform
