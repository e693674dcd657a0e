#include "preferences/SettingsView.h"

#include "annotation/style/AnnoStyleStore.h"
#include "preferences/PrefsAboutTab.h"
#include "preferences/PrefsAnnotationTab.h"
#include "preferences/PrefsCaptureTab.h"
#include "preferences/PrefsGeneralTab.h"
#include "preferences/PrefsHistoryTab.h"
#include "preferences/PrefsIcons.h"
#include "preferences/PrefsShortcutTab.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace klipo {

namespace {
constexpr int kContentMaxWidth = 560;
constexpr int kBarMaxWidth = 460;

QScrollArea* makeScrollArea(QWidget* parent)
{
    auto* area = new QScrollArea(parent);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return area;
}
}  // namespace

SettingsView::SettingsView(Form form, QWidget* parent) : QWidget(parent), m_form(form)
{
    if (form == Form::window)
        buildWindowForm();
    else
        buildEmbeddedForm();
    paintIcons();
    showSection(PrefsSection::general);
}

QWidget* SettingsView::tabContent(PrefsSection section)
{
    switch (section) {
    case PrefsSection::general: return new PrefsGeneralTab;
    case PrefsSection::capture: return new PrefsCaptureTab;
    case PrefsSection::annotation:
        return new PrefsAnnotationTab(AnnoTool::rectangle, AnnoStyleStore::style(AnnoTool::rectangle));
    case PrefsSection::history: return new PrefsHistoryTab;
    case PrefsSection::shortcuts: return new PrefsShortcutTab;
    case PrefsSection::about: break;
    }
    return new PrefsAboutTab;
}

void SettingsView::buildWindowForm()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    m_tabs = new QTabWidget(this);
    m_tabs->setDocumentMode(false);
    for (PrefsSection section : allCases<PrefsSection>()) {
        QScrollArea* page = makeScrollArea(m_tabs);
        m_pages.append(page);
        m_tabs->addTab(page, PrefsSections::title(section));
    }
    layout->addWidget(m_tabs);
    connect(m_tabs, &QTabWidget::currentChanged, this,
            [this](int index) { showSection(allCases<PrefsSection>().value(index, PrefsSection::general)); });
}

void SettingsView::buildEmbeddedForm()
{
    setMinimumSize(520, 420);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* barRow = new QHBoxLayout;
    barRow->setContentsMargins(0, 10, 0, 10);
    m_bar = new QTabBar(this);
    m_bar->setExpanding(false);
    m_bar->setDrawBase(false);
    m_bar->setMaximumWidth(kBarMaxWidth);
    for (PrefsSection section : allCases<PrefsSection>()) m_bar->addTab(PrefsSections::title(section));
    barRow->addStretch(1);
    barRow->addWidget(m_bar);
    barRow->addStretch(1);
    layout->addLayout(barRow);

    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    layout->addWidget(divider);

    m_scroll = makeScrollArea(this);
    m_column = new QWidget;
    auto* columnRow = new QHBoxLayout(m_column);
    columnRow->setContentsMargins(0, 8, 0, 8);
    m_scroll->setWidget(m_column);
    layout->addWidget(m_scroll, 1);
    connect(m_bar, &QTabBar::currentChanged, this,
            [this](int index) { showSection(allCases<PrefsSection>().value(index, PrefsSection::general)); });
}

void SettingsView::setSection(PrefsSection section)
{
    const int index = int(allCases<PrefsSection>().indexOf(section));
    if (m_tabs) m_tabs->setCurrentIndex(index);
    if (m_bar) m_bar->setCurrentIndex(index);
    showSection(section);
}

void SettingsView::showSection(PrefsSection section)
{
    if (m_content && section == m_section) return;
    // The section left behind goes (it may store something as it goes).
    delete m_content;
    m_section = section;
    QWidget* content = tabContent(section);
    m_content = content;
    if (m_form == Form::window) {
        m_pages.at(int(allCases<PrefsSection>().indexOf(section)))->setWidget(content);
    } else {
        content->setMaximumWidth(kContentMaxWidth);
        auto* row = static_cast<QHBoxLayout*>(m_column->layout());
        while (QLayoutItem* item = row->takeAt(0)) delete item;
        row->addStretch(1);
        row->addWidget(content, 100);
        row->addStretch(1);
        m_scroll->verticalScrollBar()->setValue(0);
    }
    Q_EMIT sectionChanged(section);
}

void SettingsView::paintIcons()
{
    if (!m_tabs) return;
    const QColor color = palette().color(QPalette::WindowText);
    const QList<PrefsSection> sections = allCases<PrefsSection>();
    for (int i = 0; i < sections.size(); ++i)
        m_tabs->setTabIcon(i, PrefsIcons::icon(PrefsSections::symbolName(sections[i]), color));
}

void SettingsView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) paintIcons();
}

}  // namespace klipo
