#pragma once

#include "platform/text/EnginePool.h"
#include "platform/text/PageLayout.h"
#include "platform/text/TesseractEngine.h"

#include <QStringList>

#include <vector>

namespace klipo::platform {

// The models lines are read with, besides the Latin one.
const QString& hanModel();    // Simplified Chinese
const QString& mixedModel();  // Chinese with Latin words in it

// One line of the layout, the model it was read with and what came of it.
struct LineJob {
    const LayoutLine* layout = nullptr;
    QString model;
    TesseractEngine::Result result;
    bool missing = false;  // the model's data is not installed
};

// How many lines of the page look Latin and how many Han, per region and in all.
struct PageScripts {
    std::vector<int> hanByRegion;
    std::vector<int> latinByRegion;
    int han = 0;
    int latin = 0;

    static PageScripts of(const PageLayout& layout);
    // The model a line is read with first. Lines too short to tell their
    // script take the one most lines of their region (else of the page) have.
    QString modelFor(const LayoutLine& line, const QString& latinModel) const;
};

// How a line's picture is sized for the engine. The engine finds nothing at
// all in some short Chinese lines at the usual size ("编辑", "周杰"), yet reads
// them surely a little smaller with more room around them, or larger.
enum class LineSize { usual, smallerWithRoom, larger };

// Reads one layout line of `page` (the picture the layout was made of) on its own picture (its colours made dark on
// white, small text scaled up) with an engine of `model`, of which at most `engines` are loaded (0: as many as the pool
// allows). A single line that the engine splits in two is joined again. `missing` tells that the model is not
// installed.
TesseractEngine::Result readLine(EnginePool& pool, const QString& model, int engines, const QImage& page,
                                 const PageLayout& layout, const LayoutLine& line, bool withSymbols, bool& missing,
                                 LineSize size = LineSize::usual);

// Whether a line the Han model found nothing in is worth reading again at
// other sizes (a line shaped like Latin text is not).
bool foundNothingInHan(const LineJob& job);

// The models worth a second read of a line: the other script's where the
// first read was poor or the line too short to tell (capitals look square;
// short Chinese lines may pass for Latin), the mixed one for Latin words
// inside a Chinese line or Chinese words inside a Latin-looking one.
QStringList secondOpinions(const LineJob& job, const PageScripts& scripts, const QString& latinModel);

// Keeps the second reading of a line (with `model`) instead of the one it
// has when it is better: the more confident one, but never one with Han
// characters misread into Latin text. Two models that read the same text
// make it sure ("Ctrl+Shift+S" is read unsurely by each).
void takeSecondReading(LineJob& job, TesseractEngine::Result other, const QString& model);

// Makes the first reading of a line sure when another model read it alike,
// before the readings are weighed: a long word of code the Latin model reads
// right but unsurely ("values.push_back(std::atoi(argv[i]));") is not lost to
// the Chinese model's surer misreading of it when the mixed one agrees. One
// the other models read alike but for a letter's case or a sign every dozen
// letters is text, kept unless a surer reading wins over it.
void trustFirstReadingAlike(LineJob& job, const TesseractEngine::Result& other);

// Whether a read line is text rather than noise (icons, frames, specks read
// with little confidence, icons read as letters).
bool isText(const RecognizedLine& line);

// Whether a reading of two to six Chinese characters on a line the layout
// saw as Chinese is kept though read a little unsurely: names and labels
// that short are read unsurely even when read right, and a character or two
// misread still costs less than the whole name lost.
bool isShortChineseText(const LayoutLine& layout, const RecognizedLine& line, const QString& model = QString());

// A letter or two read from a piece no wider than a letter that stands a
// space or so before or after a longer line of its row, and is drawn much
// fainter than it, or is a Latin letter or two off a shape a quarter taller
// than that line: an icon before a name (a document read as "B"), a
// browser's arrows and reload sign, a tab's cross.
bool isIconBesideText(const PageLayout& layout, const LayoutLine& line, const QString& text);

// All the text of a reading, its lines run together.
QString textOf(const TesseractEngine::Result& r);

// The colour picture the looks of a line are measured on: `picture` itself
// where it is in colour, none where it is grey.
QImage colourOf(const QImage& picture);

// Whether a letter or two read off a line of `picture` (grey or colour) is a
// drawn frame (a document's icon read as "B"): see isFramedInk.
bool isFramedIcon(const QImage& picture, const LayoutLine& line, const QString& text);

// Whether signs of another script read off a line (no Latin letter, no digit)
// are a row of framed glyphs as wide as each other: a window's three buttons
// ("目タ回国"). Chinese characters can be framed too ("回", "国"); two of them
// alone count as icons only on a page with no other Chinese line
// (`hanLines`: the page's lines the layout takes for Chinese).
bool isRowOfFramedIcons(const QImage& picture, const LayoutLine& line, const QString& text, int hanLines);

// Whether a line's reading shows Chinese or Japanese text surely: three
// characters of it or more, read with some confidence, not counting those
// icons and rules are read as ("三" for a menu's bars, "口", "ー"). A page
// with no such line shows none: the Han and kana read off it are icons,
// charts, prices and highlighted words misread.
bool showsCjkText(const RecognizedLine& line);

// Whether a short text is what a lone icon is read as ("x", "口", "Q", "十",
// "xX", a lone lowercase letter).
bool isIconLookalike(const QString& text);

}  // namespace klipo::platform
