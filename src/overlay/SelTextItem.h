#pragma once

#include "recognition/TextModel.h"

#include <QFont>
#include <QRectF>
#include <QString>

#include <compare>
#include <optional>
#include <vector>

namespace klipo {

// A place between two characters of a text layer: the item it lies in and
// the character boundary in that item (0 to the item's character count).
// Ordered by item, then by character.
struct SelTextPosition {
    int line = 0;
    int character = 0;

    auto operator<=>(const SelTextPosition&) const = default;
};

// One selectable run of text on the picture: a recognised line, or one laid
// out line of a translation. Layer space is the picture's pixels with the
// origin at the bottom left, y up. Characters are user-perceived characters
// (grapheme clusters); every index counts them.
struct SelTextItem {
    QString text;
    std::vector<QString> chars;
    QRectF rect;
    // x of every character boundary: chars + 1 entries, never decreasing.
    std::vector<qreal> charEdges;
    qreal clipMaxX = 0;  // highlights stop here
    // The paragraph (or translated block) the item belongs to: items of one
    // block join with spaces, others with line breaks; -1 belongs to none.
    int blockID = -1;
    qreal bandMinY = 0;  // the highlight band
    qreal bandMaxY = 0;

    int charCount() const { return int(chars.size()); }

    // The character boundary nearest to x (the lower one on a tie): a point on
    // the right half of a character lands after it.
    int charIndex(qreal x) const;

    // An item whose characters take their relative widths from the font set
    // on one line. Starts at `originX` (else the rect's left edge); stretched,
    // the text spans the rect exactly. Highlights stop at `clipMaxX` (else the
    // rect's right edge); the band is the rect.
    static SelTextItem make(const QString& text, const QRectF& rect, const QFont& font, std::optional<qreal> originX,
                            bool stretchToWidth, std::optional<qreal> clipMaxX, int blockID);

    // An item whose words sit exactly on the recognised word boxes. Characters
    // no word box covers (spaces between words, words without a box, the rest
    // of the line after the last box) are spread over the room left between
    // the boxes, or up to the line's right edge. The band spans the word boxes
    // (a little padded) unless that is thinner than 40 % of the line.
    static SelTextItem makeAnchored(const QString& text, const QRectF& rect, const std::vector<TextAnchor>& anchors,
                                    const QFont& font, int blockID);
};

}  // namespace klipo
