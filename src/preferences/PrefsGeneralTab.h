#pragma once

#include "platform/LoginItem.h"
#include "preferences/PrefsForm.h"

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;

namespace klipo {

// Start at login, tray-only mode, appearance and interface language. The
// appearance changes every window at once; the tray-only mode and the
// interface language at the next launch, which the tab says once either
// was changed.
class PrefsGeneralTab : public PrefsForm::Page {
public:
    explicit PrefsGeneralTab(QWidget* parent = nullptr);

    // Registers or removes the login entry and shows the outcome: on failure
    // the switch goes back (without trying the opposite) and the reason
    // shows in red under it.
    void updateLaunchAtLogin(bool enabled);

    // Writes or removes the login entry; tests replace it.
    static std::function<platform::LoginItem::Outcome(bool enabled)>& loginItemSetter();

    QCheckBox* launchAtLoginSwitch() const { return m_launchAtLogin; }
    QLabel* launchErrorLabel() const { return m_launchError; }
    QCheckBox* menuBarOnlySwitch() const { return m_menuBarOnly; }
    QComboBox* appearancePicker() const { return m_appearance; }
    QComboBox* languagePicker() const { return m_language; }
    QWidget* restartNote() const { return m_restartNote; }

private:
    void showRestartNote();

    QCheckBox* m_launchAtLogin;
    QLabel* m_launchError;
    QCheckBox* m_menuBarOnly;
    QComboBox* m_appearance;
    QComboBox* m_language;
    QWidget* m_restartNote;
};

}  // namespace klipo
