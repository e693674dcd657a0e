#pragma once

#include "platform/text/CancelToken.h"
#include "recognition/TextModel.h"

#include <QFuture>
#include <QImage>

#include <utility>

namespace klipo::platform {
struct RecognizedLine;
}

namespace klipo {

// What recognition gives: the paragraphs, top first, or a failure with a
// Chinese message. An image without text is a success with no blocks. A
// cancelled recognition is a failure marked `cancelled`, without blocks.
struct OcrOutcome {
    bool ok = true;
    QString error;
    std::vector<TextBlock> blocks;
    bool cancelled = false;
};

// Text recognition: an image in, recognised lines grouped into paragraphs out.
// Stateless; every call is independent.
namespace OCRService {

// Recognises the text of `image` off the GUI thread and groups it into
// paragraphs. `wordAnchors` asks for per-word boxes on every line (text
// selection needs them). The outcome is delivered exactly once, even if the
// engine reports more than once. Continue on the GUI thread with
// future.then(context, ...). Cancelling `cancel` lets the engine stop early;
// the outcome is then a cancelled one, whatever the engine found.
QFuture<OcrOutcome> recognizeBlocks(const QImage& image, bool wordAnchors, const platform::CancelToken& cancel = {});

// Where a line stands on the page, as the recogniser's layout found it: the
// part it belongs to (a column, a window, a table row ...), numbered in
// reading order, and whether it is monospaced (a terminal's).
struct LinePlace {
    int region = 0;
    bool monospaced = false;
};

// Groups lines into paragraphs, top paragraph first. A line continues only
// the paragraph of the line right above it (the nearest one it overlaps
// horizontally), and only when that line is the paragraph's last, sits just
// above it, has a similar height, and the line does not start with an ASCII
// capital. Without places the lines are sorted top first; with them (one
// per line) they are taken in the order given, a line starting with a
// capital continues only the line read right before it in its part (so that
// joining moves no line read between them), and lines of different parts or
// monospaced lines never join.
std::vector<TextBlock> groupIntoParagraphs(const std::vector<TextLine>& lines,
                                           const std::vector<LinePlace>& places = {});

// The text of a paragraph from its lines' texts: a line after one that ends in
// Han, Hiragana or Katakana follows directly, a trailing "-" is dropped and
// the next line follows directly, otherwise one space separates them.
QString joinLineTexts(const std::vector<QString>& texts);

// The word-like runs of a line, as character (grapheme) ranges [start, end):
// split at whitespace, ideographs cut into pieces of at most four characters.
std::vector<std::pair<int, int>> wordRuns(const QString& text);

// The anchors of a recognised line in the model's space (bottom-left origin
// in an image `height` pixels high): each run's box is the union of its
// characters' boxes; runs without a box, or not wider than half a pixel, are
// left out. Absent when no run qualifies.
std::optional<std::vector<TextAnchor>> computeAnchors(const platform::RecognizedLine& line, int width, int height);

}  // namespace OCRService

}  // namespace klipo
