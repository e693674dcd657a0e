#include "app/MessageBoxFit.h"

#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>

#include <algorithm>

namespace klipo {

void fitMessageBoxToTexts(QMessageBox& box)
{
    constexpr int kReadingWidth = 520;
    if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"))) {
        int widest = 0;
        for (const QString& line : box.informativeText().split(QLatin1Char('\n')))
            widest = std::max(widest, label->fontMetrics().horizontalAdvance(line) + 4);
        label->setMinimumWidth(std::min(widest, kReadingWidth));
    }
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid) return;
    QFont font = box.font();
    font.setBold(true);
    const int width = QFontMetrics(font).horizontalAdvance(box.windowTitle()) * 5 / 4 + 160;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

}  // namespace klipo
