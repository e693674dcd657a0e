#pragma once

class QAction;
class QObject;

namespace klipo {

// The tray menu's "贴图" item: pin the clipboard's image, close every pin.
// Main thread only.
class PinMenuProvider {
public:
    static PinMenuProvider& shared();
    // The item with its submenu; the submenu goes with `parent`.
    QAction* makeMenuItem(QObject* parent);
    // Pins the clipboard's image, or says that there is none.
    static void pinFromClipboard();
};

}  // namespace klipo
