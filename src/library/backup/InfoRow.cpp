#include "library/backup/InfoRow.h"

#include "library/widgets/LibraryStyle.h"

#include <QEvent>
#include <QHBoxLayout>

namespace klipo {

PathLabel::PathLabel(QWidget* parent) : QLabel(parent)
{
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
}

void PathLabel::setPath(const QString& path)
{
    m_path = path;
    setToolTip(path);
    elide();
}

QSize PathLabel::minimumSizeHint() const
{
    return {fontMetrics().horizontalAdvance(QStringLiteral("/…/")), fontMetrics().height()};
}

QSize PathLabel::sizeHint() const { return {fontMetrics().horizontalAdvance(m_path) + 2, fontMetrics().height()}; }

void PathLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    elide();
}

void PathLabel::elide()
{
    const QString shown = fontMetrics().elidedText(m_path, Qt::ElideMiddle, qMax(0, contentsRect().width()));
    if (shown != text()) QLabel::setText(shown);
}

InfoRow::InfoRow(const QString& label, Kind kind, QWidget* parent)
    : QWidget(parent),
      m_kind(kind),
      m_label(new QLabel(label)),
      m_value(kind == Kind::path ? new PathLabel : new QLabel),
      m_layout(new QHBoxLayout(this))
{
    m_layout->setContentsMargins(0, 0, 0, 0);
    // A wrapping value lines up with the label at its first line; a path sits
    // in the middle of its row, beside a button.
    const Qt::Alignment vertical = kind == Kind::text ? Qt::AlignTop : Qt::AlignVCenter;
    m_label->setAlignment(Qt::AlignRight | vertical);
    m_value->setAlignment(Qt::AlignLeft | vertical);
    if (kind == Kind::text) {
        m_value->setWordWrap(true);
        m_value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        m_value->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    }
    m_layout->addWidget(m_label, 0, vertical);
    m_layout->addWidget(m_value, 1);
    applyStyle();
}

void InfoRow::setValue(const QString& value, bool highlight)
{
    if (m_kind == Kind::path)
        static_cast<PathLabel*>(m_value)->setPath(value);
    else
        m_value->setText(value);
    if (m_highlight == highlight) return;
    m_highlight = highlight;
    applyStyle();
}

QString InfoRow::value() const
{
    return m_kind == Kind::path ? static_cast<PathLabel*>(m_value)->path() : m_value->text();
}

void InfoRow::addTrailing(QWidget* widget) { m_layout->addWidget(widget, 0, Qt::AlignVCenter); }

int InfoRow::labelWidthHint() const { return m_label->fontMetrics().horizontalAdvance(m_label->text()) + 2; }

void InfoRow::setLabelWidth(int width) { m_label->setFixedWidth(width); }

void InfoRow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange) applyStyle();
}

void InfoRow::applyStyle()
{
    const QFont font = librarystyle::callout(this->font());
    m_label->setFont(font);
    m_value->setFont(font);
    const QPalette& base = palette();
    QPalette labelPalette = m_label->palette();
    labelPalette.setColor(QPalette::WindowText, librarystyle::secondary(base));
    m_label->setPalette(labelPalette);
    QPalette valuePalette = m_value->palette();
    valuePalette.setColor(QPalette::WindowText,
                          m_highlight ? base.color(QPalette::Highlight) : librarystyle::secondary(base));
    m_value->setPalette(valuePalette);
}

}  // namespace klipo
