#pragma once

#include <QLineEdit>

namespace klipo {

// The one-line field in which a text mark is typed on the canvas. Return
// commits, Esc cancels and losing the focus commits; it takes input-method
// text (and reports its caret so candidate windows sit at the text). It draws
// no frame and no background, only the text in the mark's colour.
class AnnoTextField : public QLineEdit {
    Q_OBJECT
public:
    explicit AnnoTextField(QWidget* parent = nullptr);

Q_SIGNALS:
    void commitRequested();
    void cancelRequested();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

}  // namespace klipo
