#pragma once

#include "preferences/PrefsForm.h"

#include <QString>
#include <QUrl>

#include <functional>

class QLabel;
class QPushButton;

namespace klipo {

// The program's name, version and description, the update check, the link to
// the home page and what the program does and does not send over the network.
class PrefsAboutTab : public PrefsForm::Page {
public:
    explicit PrefsAboutTab(QWidget* parent = nullptr);

    // What "检查更新…" runs; the shell sets it to its update checker. Unset,
    // the button does nothing.
    static std::function<void()>& updateCheck();

    static QUrl websiteUrl();
    // "版本 1.2（15）": the short version and the build, "1.0" and "1" when unknown.
    static QString versionText(const QString& shortVersion, const QString& build);
    static QString versionText();
    static QString privacyText();

    QPushButton* updateButton() const { return m_update; }
    QLabel* privacyLabel() const { return m_privacy; }
    QLabel* versionLabel() const { return m_version; }
    QLabel* iconLabel() const { return m_icon; }

private:
    QLabel* m_icon;
    QPushButton* m_update;
    QLabel* m_privacy;
    QLabel* m_version;
};

}  // namespace klipo
