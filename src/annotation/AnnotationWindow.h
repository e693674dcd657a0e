#pragma once

class QAction;
class QObject;

namespace klipo {

// The tray menu's "截图标注" item and the annotate command.
class AnnoMenuProvider {
public:
    static AnnoMenuProvider& shared();
    QAction* makeMenuItem(QObject* parent);
    static void startCaptureAndAnnotate();
};

}  // namespace klipo
