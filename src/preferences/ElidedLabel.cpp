#include "preferences/ElidedLabel.h"

namespace klipo {

ElidedLabel::ElidedLabel(const QString& text, QWidget* parent) : QLabel(parent), m_text(text)
{
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setToolTip(text);
    elide();
}

void ElidedLabel::setText(const QString& text)
{
    m_text = text;
    setToolTip(text);
    elide();
    updateGeometry();
}

QSize ElidedLabel::minimumSizeHint() const { return {fontMetrics().averageCharWidth() * 4, QLabel::minimumSizeHint().height()}; }

QSize ElidedLabel::sizeHint() const { return {fontMetrics().horizontalAdvance(m_text), QLabel::sizeHint().height()}; }

void ElidedLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    elide();
}

void ElidedLabel::elide() { QLabel::setText(fontMetrics().elidedText(m_text, Qt::ElideMiddle, qMax(0, width()))); }

}  // namespace klipo
