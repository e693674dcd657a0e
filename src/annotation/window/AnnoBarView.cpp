#include "annotation/window/AnnoBarView.h"

#include <QPainter>

namespace klipo {

AnnoBarView::AnnoBarView(Hairline hairline, QWidget* parent) : QWidget(parent), m_hairline(hairline)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void AnnoBarView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    // The text colour, faint: a separator that reads on light and dark palettes.
    QColor line = palette().color(QPalette::WindowText);
    line.setAlphaF(0.16f);
    const int y = m_hairline == Hairline::top ? 0 : height() - 1;
    painter.fillRect(QRect(0, y, width(), 1), line);
}

}  // namespace klipo
