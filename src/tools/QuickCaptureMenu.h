#pragma once

#include <QObject>

#include <optional>

class QAction;
class QMenu;

namespace klipo {

// The tray menu's "快捷截图" submenu: delayed capture (3, 5, 10 seconds, or
// "取消延时截图" while counting), the remembered area, the last-capture
// preview, the colour picker with its format, and QR reading. Its checks,
// titles and key texts are brought up to date each time it opens. Main thread.
class QuickCaptureMenuProvider final : public QObject {
    Q_OBJECT
public:
    static constexpr int repeatLastAreaTag = 200;
    static constexpr int firstFormatTag = 300;  // hex, rgb, rgba: 300, 301, 302

    static QuickCaptureMenuProvider& shared();

    // The item with its submenu; the submenu goes with `parent`.
    QAction* makeMenuItem(QObject* parent);
    void refresh(QMenu* menu);

private:
    QuickCaptureMenuProvider() = default;
    void colorFormatChosen(QAction* item);

    // The delay whose item last received the delayedCapture key text.
    std::optional<int> m_shortcutMarkedSeconds;
};

}  // namespace klipo
