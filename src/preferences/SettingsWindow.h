#pragma once

#include "preferences/SettingsView.h"

#include <QPointer>

namespace klipo {

// The preferences window: made on the first show() and kept for the life of
// the process; closing only hides it, and showing it again brings back the
// same window with the section and controls as they were.
class SettingsWindowController {
public:
    static SettingsWindowController& shared();

    void show();
    // Shows the capture section with the target-language picker's list open
    // (once the window is active): the way out of a target language that
    // cannot be translated into.
    void showTargetLanguagePicker();

    QWidget* window() const { return m_window; }
    SettingsView* view() const { return m_view; }

private:
    QPointer<QWidget> m_window;
    QPointer<SettingsView> m_view;
};

}  // namespace klipo
