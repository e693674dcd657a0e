#include "preferences/PrefsForm.h"

#include "platform/SettingsStore.h"

#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QFormLayout>
#include <QJsonValue>
#include <QLabel>
#include <QVBoxLayout>

#include <memory>

namespace klipo::PrefsForm {

namespace {
constexpr int kRowSpacing = 8;
constexpr int kSectionSpacing = 14;
}  // namespace

Section::Section(const QString& title, QWidget* parent)
    : QWidget(parent), m_box(new QFrame(this)), m_form(new QFormLayout(m_box))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    if (!title.isEmpty()) {
        auto* header = new QLabel(title, this);
        QFont bold = header->font();
        bold.setBold(true);
        header->setFont(bold);
        header->setContentsMargins(4, 0, 0, 0);
        layout->addWidget(header);
    }
    m_box->setFrameShape(QFrame::StyledPanel);
    m_box->setFrameShadow(QFrame::Plain);
    layout->addWidget(m_box);
    m_form->setContentsMargins(12, 10, 12, 10);
    m_form->setRowWrapPolicy(QFormLayout::DontWrapRows);
    m_form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    m_form->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_form->setFormAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_form->setVerticalSpacing(kRowSpacing);
}

void Section::addRow(const QString& label, QWidget* field) { m_form->addRow(new QLabel(label, m_box), field); }

void Section::addRow(const QString& label, QLayout* field)
{
    auto* holder = new QWidget(m_box);
    field->setContentsMargins(0, 0, 0, 0);
    holder->setLayout(field);
    addRow(label, holder);
}

void Section::addRow(QWidget* widget) { m_form->addRow(widget); }

void Section::addRow(QLayout* layout)
{
    auto* holder = new QWidget(m_box);
    layout->setContentsMargins(0, 0, 0, 0);
    holder->setLayout(layout);
    addRow(holder);
}

QLabel* Section::addNote(const QString& text)
{
    QLabel* label = note(text, m_box);
    addRow(label);
    return label;
}

Page::Page(QWidget* parent) : QWidget(parent), m_layout(new QVBoxLayout(this))
{
    m_layout->setContentsMargins(12, 12, 12, 12);
    m_layout->setSpacing(kSectionSpacing);
}

Section* Page::addSection(const QString& title)
{
    auto* section = new Section(title, this);
    m_layout->addWidget(section);
    return section;
}

namespace {

// A wheel turned over a picker, a number box or a slider that the user has
// not clicked scrolls the page instead of changing the setting.
class WheelGuard : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Wheel) return false;
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->hasFocus()) return false;
        for (QWidget* w = widget->parentWidget(); w; w = w->parentWidget()) {
            if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) {
                QCoreApplication::sendEvent(area->viewport(), event);
                break;
            }
        }
        return true;
    }
};

}  // namespace

void Page::finish()
{
    m_layout->addStretch(1);
    auto* guard = new WheelGuard(this);
    QList<QWidget*> fields;
    for (QWidget* w : findChildren<QComboBox*>()) fields.append(w);
    for (QWidget* w : findChildren<QAbstractSpinBox*>()) fields.append(w);
    for (QWidget* w : findChildren<QAbstractSlider*>()) fields.append(w);
    for (QWidget* field : fields) {
        field->setFocusPolicy(Qt::StrongFocus);
        field->installEventFilter(guard);
    }
}

void makeSecondary(QLabel* label) { label->setForegroundRole(QPalette::PlaceholderText); }

void makeCaption(QLabel* label)
{
    makeSecondary(label);
    QFont small = label->font();
    if (small.pointSizeF() > 0) small.setPointSizeF(small.pointSizeF() * 0.88);
    label->setFont(small);
}

QLabel* note(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    makeCaption(label);
    return label;
}

void store(const QString& key, const QJsonValue& value) { platform::SettingsStore::shared().setValue(key, value); }

QCheckBox* boolSwitch(const QString& text, const QString& key, bool (*read)(), QWidget* parent)
{
    auto* box = new QCheckBox(text, parent);
    box->setChecked(read());
    // Set while the switch takes in a change made elsewhere: the others who
    // listen to it still hear of it, but nothing is written back.
    auto following = std::make_shared<bool>(false);
    QObject::connect(box, &QCheckBox::toggled, box, [key, following](bool on) {
        if (!*following) store(key, on);
    });
    follow(box, {key}, [box, read, following] {
        *following = true;
        box->setChecked(read());
        *following = false;
    });
    return box;
}

void follow(QObject* owner, const QStringList& keys, std::function<void()> refresh)
{
    QObject::connect(&platform::SettingsStore::shared(), &platform::SettingsStore::valueChanged, owner,
                     [keys, refresh = std::move(refresh)](const QString& key) {
                         if (keys.contains(key)) refresh();
                     });
}

QColor errorColor() { return QColor(224, 49, 49); }
QColor warningColor() { return QColor(232, 128, 0); }

void setTextColor(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    // The role it draws with too: a note draws with the grey placeholder role.
    for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text, widget->foregroundRole()})
        palette.setColor(role, color);
    widget->setPalette(palette);
}

void makeDestructive(QWidget* button) { setTextColor(button, errorColor()); }

}  // namespace klipo::PrefsForm
