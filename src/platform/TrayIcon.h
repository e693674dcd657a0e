#pragma once

#include <QIcon>
#include <QObject>
#include <QString>

class QMenu;

namespace klipo::platform {

// The status icon in the desktop's tray.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~TrayIcon() override = default;

    virtual bool isAvailable() const = 0;  // a tray host is running
    virtual void setIcon(const QIcon& icon) = 0;
    virtual void setToolTip(const QString& text) = 0;
    virtual void setMenu(QMenu* menu) = 0;
    virtual void show() = 0;
    virtual bool isVisible() const = 0;

Q_SIGNALS:
    void activated();
};

}  // namespace klipo::platform
