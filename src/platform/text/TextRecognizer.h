#pragma once

#include "platform/text/CancelToken.h"

#include <QImage>
#include <QRect>
#include <QString>

#include <functional>
#include <vector>

namespace klipo::platform {

// One recognised character (or a few that the engine read as one) of a line:
// its place in the line's text, counted in UTF-16 code units, and its box.
struct RecognizedSymbol {
    int start = 0;  // first code unit in RecognizedLine::text
    int end = 0;    // one past the last code unit
    QRect box;      // image pixels, origin top left
};

// One recognised line of text. Boxes are in the pixels of the image that was
// given, origin at the top left (the engine's space).
struct RecognizedLine {
    QString text;
    QRect box;
    float confidence = 0;                  // 0..100
    float weakestWord = 100;               // confidence of its least certain word
    float widestLetters = 0;               // widest letter width of a word, against the line's height
    std::vector<RecognizedSymbol> symbols;  // only when asked for
    // Spaces of `text` (their offsets, rising) that stand where the script
    // changes between Chinese and other text with no room between them in
    // the picture: kept while readings are weighed, gone from what is reported.
    std::vector<int> roomlessSpaces;
    // Where on the page it stands: the part (a column, a window, a table
    // row ...) numbered in reading order, -1 when not known; lines of
    // different parts never belong to one paragraph. A monospaced line (a
    // terminal's, a listing's) stands alone too.
    int region = -1;
    bool monospaced = false;
};

struct RecognitionOptions {
    bool withSymbols = false;
    // Set when the caller no longer wants the outcome: the engine may stop
    // early (between bands of the page) and report anything; it is dropped.
    CancelToken cancel;
};

// The engine's answer: the lines in reading order (parts of the page one
// after the other, each top to bottom), or a failure with a
// message for the user. An image without text is a success with no lines.
struct RecognitionOutcome {
    bool ok = true;
    QString error;
    std::vector<RecognizedLine> lines;

    static RecognitionOutcome failure(QString message) { return {false, std::move(message), {}}; }
};

// Recognises the text of an image. `report` is called with the outcome, on
// whatever thread the engine likes; an implementation may call it before
// recognize() returns. Callers never call recognize() on the GUI thread: it may
// take a second or more.
class TextRecognizer {
public:
    using Report = std::function<void(RecognitionOutcome)>;

    virtual ~TextRecognizer() = default;
    virtual void recognize(const QImage& image, const RecognitionOptions& options, const Report& report) = 0;
};

}  // namespace klipo::platform
