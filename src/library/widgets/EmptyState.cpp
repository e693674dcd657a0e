#include "library/widgets/EmptyState.h"

#include "library/widgets/LibraryStyle.h"

#include <QEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace klipo {

EmptyState::EmptyState(libraryicons::Symbol symbol, const QString& title, const QString& detail, QWidget* parent)
    : QWidget(parent), m_symbol(symbol), m_icon(new QLabel), m_title(new QLabel(title)), m_detail(new QLabel(detail))
{
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(10);
    layout->addStretch(1);
    for (QLabel* label : {m_icon, m_title, m_detail}) {
        label->setAlignment(Qt::AlignCenter);
        layout->addWidget(label);
    }
    m_detail->setWordWrap(true);
    layout->addStretch(1);
    applyStyle();
}

QString EmptyState::title() const { return m_title->text(); }
QString EmptyState::detail() const { return m_detail->text(); }

void EmptyState::setDetail(const QString& detail) { m_detail->setText(detail); }

void EmptyState::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange) applyStyle();
}

void EmptyState::applyStyle()
{
    m_icon->setPixmap(libraryicons::pixmap(m_symbol, 48, librarystyle::tertiary(palette()), devicePixelRatioF()));
    m_title->setFont(librarystyle::headline(font()));
    m_detail->setFont(librarystyle::callout(font()));
    QPalette secondary = m_detail->palette();
    secondary.setColor(QPalette::WindowText, librarystyle::secondary(palette()));
    m_detail->setPalette(secondary);
}

}  // namespace klipo
