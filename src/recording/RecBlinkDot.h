#pragma once

#include <QWidget>

class QVariantAnimation;

namespace klipo {

// The recording's red dot, 10 by 10 points, pulsing between full and quarter
// opacity (0.6 s each way, eased) while it blinks.
class RecBlinkDot : public QWidget {
public:
    explicit RecBlinkDot(QWidget* parent = nullptr);

    void startBlinking();
    void stopBlinking();  // back to full opacity
    bool isBlinking() const;
    qreal opacity() const { return m_opacity; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QVariantAnimation* m_blink = nullptr;
    qreal m_opacity = 1.0;
};

}  // namespace klipo
