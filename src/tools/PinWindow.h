#pragma once

class QAction;
class QObject;

namespace klipo {

// The tray menu's "贴图" item and pinning from the clipboard.
class PinMenuProvider {
public:
    static PinMenuProvider& shared();
    QAction* makeMenuItem(QObject* parent);
    static void pinFromClipboard();
};

}  // namespace klipo
