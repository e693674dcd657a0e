#pragma once

#include "library/LibrarySections.h"

#include <QPointer>
#include <QWidget>

class QVBoxLayout;

namespace klipo {

class SegmentedControl;

// The library window: a switch of four sections at the top, a line, and the
// chosen section's content below. At least 720 by 480.
class LibraryWindow : public QWidget {
    Q_OBJECT
public:
    explicit LibraryWindow(LibrarySection section, QWidget* parent = nullptr);

    LibrarySection section() const { return m_section; }
    // Chooses a section as if the user had picked it; the section already
    // shown is left as it is.
    void selectSection(LibrarySection section);

    SegmentedControl* sectionSwitch() const { return m_switch; }
    QWidget* content() const { return m_content; }

Q_SIGNALS:
    // The user closed the window (it is kept, hidden).
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showContent();

    LibrarySection m_section;
    SegmentedControl* m_switch;
    QVBoxLayout* m_layout;
    QPointer<QWidget> m_content;
};

}  // namespace klipo
