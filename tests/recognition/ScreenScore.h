#pragma once

#include "ScreenFixtures.h"
#include "recognition/TextModel.h"

namespace klipo::test {

// How well a recognition read a drawn screen, against the lines drawn.
struct ScreenScore {
    int characters = 0;               // characters of the drawn text (whitespace aside)
    int orderErrors = 0;              // edits between the drawn and the read text, each in reading order
    int lineErrors = 0;               // edits line by line, wherever the lines were read
    QStringList sharedLines;          // read lines that hold text of two side-by-side units
    QStringList twiceRead;            // drawn lines read by two overlapping lines
    std::vector<int> missingWindows;  // windows of which less than half was read
    QStringList unmatched;            // read lines where nothing was drawn (icons, pictures read as text)
    int accents = 0;                  // accented letters drawn
    int accentsRead = 0;              // of which read

    double orderAccuracy() const { return characters ? 1.0 - double(orderErrors) / characters : 1; }
    double lineAccuracy() const { return characters ? 1.0 - double(lineErrors) / characters : 1; }
};

// A read line in the drawn picture's top-left space.
struct ReadLine {
    QString text;
    QRect box;
};

std::vector<ReadLine> readLines(const std::vector<TextBlock>& blocks, int imageHeight);

// Scores lines read, in the order the reader gives them. Windows, and the
// parts of a window (a sidebar, an open menu), may come in any order, but
// each whole: the drawn text is taken window by window and part by part in
// the order the reader went through them (by the middle of the lines read of
// each), each in its own order. Lines read
// where text is partly hidden are left out.
ScreenScore scoreScreen(const Screen& screen, std::vector<ReadLine> read);

}  // namespace klipo::test
