#pragma once

#include "platform/text/PageLayout.h"
#include "platform/text/TesseractEngine.h"

#include <QImage>
#include <QRect>

#include <vector>

namespace klipo::platform {

// A page of a few long lines leaves engines idle at the end: 27 lines on 8
// engines are read in 4 rounds, the last with 3 lines. The engine's time on
// a line grows with its width against its height, so a long line can be read
// in pieces, cut at word spaces, on several engines at once, and the pieces'
// readings joined into the line's.

// How many pieces each line is read in (1: whole), given what each costs the
// engine (width against height) and whether it may be cut, so that
// `engines` taking the biggest piece left first are done soonest. Lines are
// cut only where that saves a clear share of the time.
std::vector<int> piecesPerLine(const std::vector<double>& costs, const std::vector<char>& cuttable, int engines);

// The rectangles of up to `pieces` pieces of a line, cut in the widest word
// space near each even share of its width; each keeps the line's top and
// bottom. The whole line when no space is wide enough (a word space is a
// quarter of the line's height or more) or a piece would be short.
std::vector<QRect> linePieces(const QImage& page, const PageLayout& layout, const LayoutLine& line, int pieces);

// The line cut in two in the widest word space near `width` from its left:
// its head and the rest, or the whole line where no space is near enough or
// the rest would be short.
std::vector<QRect> lineHead(const QImage& page, const PageLayout& layout, const LayoutLine& line, int width);

// The line the pieces' readings make, in order: their texts joined by a
// space, boxes and symbols together, the confidence the mean of their
// letters'. A piece the engine found nothing in adds nothing.
TesseractEngine::Result joinedPieces(std::vector<TesseractEngine::Result> pieces);

// Puts `next` after `line`, a space between them (none between two Chinese
// or Japanese characters, which have none): its text, box and symbols.
void appendAfterSpace(RecognizedLine& line, const RecognizedLine& next);

}  // namespace klipo::platform
