#pragma once

#include <QPointer>

class QWidget;

namespace klipo {

// The library window (history and vocabulary book). Until its sections are
// built it is a plain window that says so.
class HistoryWindowController {
public:
    enum class Section { history, vocabulary };

    static HistoryWindowController& shared();

    // Makes the window on first use (kept when closed) and brings it to the front.
    void show(Section section = Section::history);
    QWidget* window() const { return m_window; }

private:
    QPointer<QWidget> m_window;
};

}  // namespace klipo
