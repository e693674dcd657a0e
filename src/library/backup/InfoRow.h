#pragma once

#include <QLabel>
#include <QWidget>

class QHBoxLayout;

namespace klipo {

// A value label that shows a path on one line, losing its middle when the
// room is short ("/home/…/Cloud"); the whole path is in its tool tip.
class PathLabel : public QLabel {
    Q_OBJECT
public:
    explicit PathLabel(QWidget* parent = nullptr);

    void setPath(const QString& path);
    QString path() const { return m_path; }

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void elide();
    QString m_path;
};

// One line of the backup status: a label in a column of its own, right
// aligned, then the value, in the accent colour when highlighted and grey
// otherwise. The value wraps, or is a path on one line.
class InfoRow : public QWidget {
    Q_OBJECT
public:
    enum class Kind { text, path };

    InfoRow(const QString& label, Kind kind = Kind::text, QWidget* parent = nullptr);

    void setValue(const QString& value, bool highlight);
    QString value() const;
    bool isHighlighted() const { return m_highlight; }
    // A widget after the value (a button).
    void addTrailing(QWidget* widget);

    QLabel* label() const { return m_label; }
    QLabel* valueLabel() const { return m_value; }
    // The room the label needs; the section gives every row the widest.
    int labelWidthHint() const;
    void setLabelWidth(int width);

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyStyle();

    Kind m_kind;
    QLabel* m_label;
    QLabel* m_value;
    QHBoxLayout* m_layout;
    bool m_highlight = false;
};

}  // namespace klipo
