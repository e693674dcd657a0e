#pragma once

#include "platform/text/LineReading.h"

#include <QImage>

#include <vector>

namespace klipo::platform {

// Lines the engine would be given the same picture of, with the same model:
// the same pixels within their rectangles (frames and rules left out alike),
// the same size, colours and script. A screen repeats such lines often (a
// table's "是" and "—", a list's dates, a mail's "Re:", a button under each
// post); each is read once and its reading moved to the others.
//
// For each line of `jobs` (whose `layout` and `model` are set), the index of
// the first line it is a twin of; its own index when no line before it is.
std::vector<size_t> lineTwins(const QImage& page, const PageLayout& layout, const std::vector<LineJob>& jobs);

// The reading of one line moved onto its twin: the boxes shifted from where
// `from` stands to where `to` stands, and the twin's region and spacing.
TesseractEngine::Result movedToTwin(TesseractEngine::Result result, const LayoutLine& from, const LayoutLine& to);

}  // namespace klipo::platform
