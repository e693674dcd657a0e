#pragma once

#include <QLabel>

namespace klipo {

// One line of text that, when too long, loses its middle ("Doc…/截图") rather
// than its end. text() stays the whole text.
class ElidedLabel : public QLabel {
public:
    explicit ElidedLabel(const QString& text, QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const { return m_text; }

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void elide();
    QString m_text;
};

}  // namespace klipo
