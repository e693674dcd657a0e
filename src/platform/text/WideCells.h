#pragma once

#include "platform/text/TesseractEngine.h"

namespace klipo::platform {

// A terminal draws a Chinese character over two of its cells, every other
// character over one. A model that reads Latin takes such a character for
// a letter as wide as it ("下载" as "FẸ", "照片_杭州" as "RA #4"), which no
// letter of a monospaced line can be.

// Whether a reading of a monospaced line holds letters far wider than its
// cells.
bool readsWideCells(const TesseractEngine::Result& reading);

// `reading` (with its symbols) with each run of letters wider than the
// line's cells replaced by what `han`, the Chinese model's reading of the
// same line (with its symbols), found in the same place: where that holds
// Han characters. Spaces around and inside the runs are those the picture
// shows: an empty cell. Everything else stays as `reading` has it.
TesseractEngine::Result withWideCellsFrom(const TesseractEngine::Result& reading, const TesseractEngine::Result& han);

}  // namespace klipo::platform
