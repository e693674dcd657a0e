#pragma once

#include "library/widgets/LibraryIcons.h"

#include <QWidget>

class QLabel;

namespace klipo {

// The placeholder shown instead of an empty list: a large faint symbol, a
// title and a line of detail, centred in all the room there is.
class EmptyState : public QWidget {
    Q_OBJECT
public:
    EmptyState(libraryicons::Symbol symbol, const QString& title, const QString& detail, QWidget* parent = nullptr);

    QString title() const;
    QString detail() const;
    void setDetail(const QString& detail);

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyStyle();

    libraryicons::Symbol m_symbol;
    QLabel* m_icon;
    QLabel* m_title;
    QLabel* m_detail;
};

}  // namespace klipo
