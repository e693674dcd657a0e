#pragma once

#include "library/LibrarySections.h"
#include "library/LibraryWindow.h"

#include <QPointer>

#include <functional>

namespace klipo {

// Owns the library window: made on first use, kept when the user closes it,
// and brought to the front at the section asked for. Main thread only.
class HistoryWindowController {
public:
    using Section = LibrarySection;

    static HistoryWindowController& shared();

    // Makes the window if needed, selects the section (one already selected
    // is left as it is), shows it in front and activates it.
    void show(Section section = Section::history);
    // What a second launch does: the window comes back at the section it
    // shows (the history for a new window), in front and active.
    void reopen();

    LibraryWindow* window() const { return m_window; }

    // Called whenever the user closes the window.
    std::function<void()> onClosed;

private:
    void bringToFront();

    QPointer<LibraryWindow> m_window;
};

}  // namespace klipo
