#pragma once

#include "library/widgets/LibraryIcons.h"

#include <QAbstractButton>

namespace klipo {

// One of the backup section's two large buttons: a symbol over a title in a
// 150 by 100 area that takes clicks anywhere. The symbol is in the accent
// colour while the backup folder can be used, grey otherwise.
class SyncButton : public QAbstractButton {
    Q_OBJECT
public:
    SyncButton(libraryicons::Symbol symbol, const QString& title, QWidget* parent = nullptr);

    void setFolderAvailable(bool available);
    bool folderAvailable() const { return m_available; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    libraryicons::Symbol m_symbol;
    bool m_available = false;
    bool m_hovered = false;
    bool m_keyboardFocus = false;
};

}  // namespace klipo
