#include "GlobalShortcuts/Recorder.h"

#include <QHBoxLayout>
#include <QLabel>

namespace klipo::GlobalShortcuts {

Recorder::Recorder(const Name& name, ChangeHandler onChange, QWidget* parent)
    : Recorder(static_cast<QWidget*>(nullptr), name, std::move(onChange), parent)
{}

Recorder::Recorder(const QString& title, const Name& name, ChangeHandler onChange, QWidget* parent)
    : Recorder(new QLabel(title), name, std::move(onChange), parent)
{
    auto* label = static_cast<QLabel*>(m_label);
    label->setTextFormat(Qt::PlainText);
    label->setBuddy(m_recorder);
}

Recorder::Recorder(QWidget* label, const Name& name, ChangeHandler onChange, QWidget* parent)
    : QWidget(parent), m_label(label), m_recorder(new RecorderControl(name, std::move(onChange), this))
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    if (m_label) {
        m_label->setParent(this);
        row->addWidget(m_label, 1);
    } else {
        row->addStretch(1);
    }
    row->addWidget(m_recorder, 0, Qt::AlignRight | Qt::AlignVCenter);
}

QLabel* Recorder::titleLabel() const { return qobject_cast<QLabel*>(m_label); }

}  // namespace klipo::GlobalShortcuts
