#include "library/LibraryWindow.h"

#include "library/widgets/SegmentedControl.h"

#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace klipo {

namespace {
constexpr int kSwitchWidth = 420;
constexpr QSize kMinimumSize(720, 480);
}  // namespace

LibraryWindow::LibraryWindow(LibrarySection section, QWidget* parent)
    : QWidget(parent),
      m_section(section),
      m_switch(new SegmentedControl({{librarysections::title(LibrarySection::history), {}, {}},
                                     {librarysections::title(LibrarySection::vocabulary), {}, {}},
                                     {librarysections::title(LibrarySection::backup), {}, {}},
                                     {librarysections::title(LibrarySection::settings), {}, {}}})),
      m_layout(new QVBoxLayout(this))
{
    setWindowTitle(QStringLiteral("KlipoVersa"));
    setMinimumSize(kMinimumSize);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);

    m_switch->setFixedWidth(kSwitchWidth);
    m_switch->setCurrentIndex(int(section));
    auto* top = new QHBoxLayout;
    top->setContentsMargins(0, 10, 0, 10);
    top->addStretch(1);
    top->addWidget(m_switch);
    top->addStretch(1);
    m_layout->addLayout(top);

    auto* line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    m_layout->addWidget(line);

    connect(m_switch, &SegmentedControl::currentChanged, this, [this](int index) {
        m_section = librarySection(index);
        showContent();
    });
    showContent();
}

void LibraryWindow::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    if (event->isAccepted()) Q_EMIT closed();
}

void LibraryWindow::selectSection(LibrarySection section)
{
    if (section == m_section && m_content) return;
    m_switch->setCurrentIndex(int(section));  // builds the content through currentChanged
}

void LibraryWindow::showContent()
{
    QWidget* content = librarysections::build(m_section);
    QPointer<QWidget> old = m_content;
    m_content = content;
    if (!old) {
        m_layout->addWidget(content, 1);
        content->show();
        return;
    }
    m_layout->replaceWidget(old, content);
    content->show();
    // The focus moves on with the content rather than to the next control.
    if (QWidget* focused = focusWidget(); focused && old->isAncestorOf(focused))
        content->setFocus(Qt::OtherFocusReason);
    // Hidden first so that nothing of it shows while it goes; deleted later
    // because a click of its own may have led here.
    old->hide();
    old->deleteLater();
}

}  // namespace klipo
