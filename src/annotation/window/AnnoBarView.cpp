#include "annotation/window/AnnoBarView.h"

#include <QPainter>

namespace klipo {

AnnoBarView::AnnoBarView(Hairline hairline, QWidget* parent) : QWidget(parent), m_hairline(hairline)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QColor AnnoBarView::hairlineColor(const QPalette& palette)
{
    QColor line = palette.color(QPalette::WindowText);
    line.setAlphaF(0.18f);
    return line;
}

void AnnoBarView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    const int y = m_hairline == Hairline::top ? 0 : height() - 1;
    painter.fillRect(QRect(0, y, width(), 1), hairlineColor(palette()));
}

}  // namespace klipo
