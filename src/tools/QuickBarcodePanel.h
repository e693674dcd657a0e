#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <optional>

class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace klipo {

// The small floating panel that lists the codes found in a capture, copies
// them and opens the first link after asking. Created on first show and kept.
// Main thread only.
class QuickBarcodePanelController : public QObject {
    Q_OBJECT
public:
    static constexpr int panelWidth = 420;
    static constexpr int panelHeight = 200;

    static QuickBarcodePanelController& shared();

    // Shows the codes near the pointer; an empty list does nothing.
    void show(const QStringList& codes);
    void copyCodes();
    void openLink();

    // The link schemes offered for opening, in order.
    static const QStringList& linkSchemes();
    // The code as a link: trimmed, parsed, with one of linkSchemes() (any case).
    static std::optional<QUrl> asLink(const QString& code);
    // The first code of the list that is a link.
    static std::optional<QUrl> firstLink(const QStringList& codes);
    // A code as the panel shows it: the characters that change the direction
    // of the text around them (a right-to-left override makes "evil\u202Eexe.txt"
    // read "eviltxt.exe") are written out as "[U+202E]", so what is shown is
    // what is there. The clipboard gets the code itself.
    static QString shownText(const QString& code);
    // "发现二维码" for one code, "发现 N 个二维码" for more.
    static QString titleFor(int count);

    // Asks whether to open the link; tests answer it. The default shows an alert.
    std::function<bool(const QUrl&)> confirmOpen;
    // Opens the link and reports whether a program took it; tests replace it.
    std::function<void(const QUrl&, std::function<void(bool)>)> openUrl;

    QWidget* panel() const { return m_panel; }
    QPlainTextEdit* textView() const { return m_textView; }
    QPushButton* openButton() const { return m_openButton; }
    const QStringList& codes() const { return m_codes; }

private:
    QuickBarcodePanelController();
    void makePanel();
    void positionNearMouse();

    QPointer<QWidget> m_panel;
    QPlainTextEdit* m_textView = nullptr;
    QPushButton* m_openButton = nullptr;
    QStringList m_codes;
};

}  // namespace klipo
