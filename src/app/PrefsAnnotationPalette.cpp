#include "app/PrefsAnnotationPalette.h"

namespace klipo::PrefsAnnotationPalette {

const QList<QColor>& colors()
{
    static const QList<QColor> list{
        QColor::fromRgbF(1.0f, 0.23f, 0.19f), QColor::fromRgbF(1.0f, 0.58f, 0.0f),
        QColor::fromRgbF(1.0f, 0.8f, 0.0f),   QColor::fromRgbF(0.2f, 0.78f, 0.35f),
        QColor::fromRgbF(0.0f, 0.48f, 1.0f),  QColor::fromRgbF(0.69f, 0.32f, 0.87f),
        QColor::fromRgbF(0.0f, 0.0f, 0.0f),   QColor::fromRgbF(1.0f, 1.0f, 1.0f),
    };
    return list;
}

}  // namespace klipo::PrefsAnnotationPalette
