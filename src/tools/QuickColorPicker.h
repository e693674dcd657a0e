#pragma once

#include "app/SettingsTypes.h"
#include "tools/QuickColorSample.h"
#include "tools/ScreenFreeze.h"

#include <QColor>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <vector>

class QKeyEvent;

namespace klipo {

namespace platform {
class ExclusiveInput;
}
class QuickColorMagnifierView;
class QuickColorPickerWindow;

// The screen colour picker: freezes every screen, covers each with a window
// showing its picture, follows the pointer with a magnifier and copies the
// colour under it as text (HEX, RGB or RGBA, Space switches and remembers).
// A click, C, Return or Enter copies; Esc, another button or the keyboard
// going to another program cancels. Main thread only.
class QuickColorPickerController final : public QObject {
    Q_OBJECT
public:
    static constexpr int pollIntervalMs = 16;

    static QuickColorPickerController& shared();

    // Starts picking; ignored while picking or preparing.
    void start();
    // Ends picking, copying the current colour text when asked and when there is one.
    void finish(bool copy);
    // Moves the magnifiers to the pointer and reads the colour under it.
    void updateForMouse();

    bool isActive() const { return m_active; }
    bool isPreparing() const { return m_preparing; }
    QuickColorFormat format() const { return m_format; }
    // Empty while the pointer is over no frozen picture.
    const QString& currentText() const { return m_currentText; }
    const std::vector<QuickScreenSample>& samples() const { return m_samples; }
    QList<QuickColorPickerWindow*> overlays() const;
    QuickColorMagnifierView* magnifier(int index) const;

    // The toast's 76 by 56 point colour swatch.
    static QImage swatch(const QColor& color);

private:
    QuickColorPickerController();
    void present(const QList<ScreenFreeze::Frozen>& screens);
    void handleMouse(Qt::MouseButton button);
    void handleKey(QKeyEvent* event);
    void refuse(const QString& reason);

    bool m_active = false;
    bool m_preparing = false;
    QuickColorFormat m_format = QuickColorFormat::hex;
    QString m_currentText;
    QColor m_currentColor;
    std::vector<QuickScreenSample> m_samples;
    QList<QPointer<QuickColorPickerWindow>> m_overlays;
    QTimer m_poll;
    platform::ExclusiveInput* m_input = nullptr;
};

}  // namespace klipo
