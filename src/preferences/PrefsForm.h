#pragma once

#include <QFrame>
#include <QString>
#include <QWidget>

#include <functional>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QVBoxLayout;

// The grouped form every preferences section is made of: titled groups of
// rows, small grey notes under them. Controls write their settings key at
// once; nothing here keeps a copy of a value.
namespace klipo::PrefsForm {

// One group of rows in a framed box, with an optional header above it.
class Section : public QWidget {
public:
    explicit Section(const QString& title, QWidget* parent = nullptr);

    // A row with a label on the left ("目标语言：") and the field on the right.
    void addRow(const QString& label, QWidget* field);
    void addRow(const QString& label, QLayout* field);
    // A row across the whole width.
    void addRow(QWidget* widget);
    void addRow(QLayout* layout);
    QLabel* addNote(const QString& text);

    QFormLayout* form() const { return m_form; }
    QFrame* box() const { return m_box; }

private:
    QFrame* m_box;
    QFormLayout* m_form;
};

// The page of one preferences section: the groups top to bottom.
class Page : public QWidget {
public:
    explicit Page(QWidget* parent = nullptr);
    Section* addSection(const QString& title = {});
    void finish();  // no more groups: the rest of the height stays empty

private:
    QVBoxLayout* m_layout;
};

// A small grey note, wrapped over as many lines as it needs.
QLabel* note(const QString& text, QWidget* parent = nullptr);
// Grey text of the normal size.
void makeSecondary(QLabel* label);
void makeCaption(QLabel* label);

// A switch bound to a Boolean settings key; `read` is the key's getter. The
// switch follows changes of the key made elsewhere (another copy of the
// program) without writing them back.
QCheckBox* boolSwitch(const QString& text, const QString& key, bool (*read)(), QWidget* parent = nullptr);

// Calls `refresh` whenever one of `keys` changes, here or in another copy of
// the program, while `owner` lives.
void follow(QObject* owner, const QStringList& keys, std::function<void()> refresh);

// Writes a settings value (the shared store).
void store(const QString& key, const QJsonValue& value);

// The red of error texts and the orange of warnings, readable on light and dark.
QColor errorColor();
QColor warningColor();
void setTextColor(QWidget* widget, const QColor& color);

// A button whose text is drawn in the error colour (destructive actions).
void makeDestructive(QWidget* button);

}  // namespace klipo::PrefsForm
