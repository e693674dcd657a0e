#pragma once

#include "annotation/model/AnnoItem.h"

#include <QList>
#include <QRectF>

namespace klipo {

// A snapshot of a canvas for undo and redo: the marks in drawing order (first
// at the bottom), the crop in image pixels and the next badge number.
struct AnnoState {
    QList<AnnoItem> items;
    QRectF cropRect;
    int nextNumber = 1;

    bool operator==(const AnnoState&) const = default;
};

}  // namespace klipo
