#pragma once

#include <QColor>
#include <QString>

#include <functional>
#include <memory>

class QWidget;

namespace klipo {

// The dialogs the annotation window opens, as window-modal sheets over it.
// Both answer later, on the main thread; tests answer at once.
class AnnoWindowDialogs {
public:
    virtual ~AnnoWindowDialogs() = default;
    // Where to save the PNG, starting at `proposedPath` (folder and name); an
    // empty answer when the user cancels.
    virtual void chooseSavePath(QWidget* parent, const QString& proposedPath,
                                std::function<void(const QString&)> done) = 0;
    // A colour with its transparency; `done` is not called when the user cancels.
    virtual void chooseColor(QWidget* parent, const QColor& initial, std::function<void(const QColor&)> done) = 0;
};

// The file and colour dialogs of Qt.
std::unique_ptr<AnnoWindowDialogs> makeQtAnnoWindowDialogs();

}  // namespace klipo
