#pragma once

#include "stores/VocabularyWord.h"

#include <QAbstractListModel>
#include <QListView>
#include <QStyledItemDelegate>

namespace klipo {

// The words one list of the vocabulary section shows, in the store's order.
class VocabularyWordModel : public QAbstractListModel {
    Q_OBJECT
public:
    // The definition as the row shows it ("（暂无释义）" without one).
    static constexpr int DefinitionRole = Qt::UserRole + 1;

    using QAbstractListModel::QAbstractListModel;

    // `mastered` tells which list the words make: it decides each row's button.
    void setWords(const QList<VocabularyWord>& words, bool mastered);
    const VocabularyWord& wordAt(int row) const { return m_words.at(row); }
    bool isMasteredList() const { return m_mastered; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    QList<VocabularyWord> m_words;
    bool m_mastered = false;
};

// One row: the word in bold over its definition (or "（暂无释义）"), the count
// in a capsule, and a button that marks the word mastered ("标记为已掌握") or
// brings it back ("恢复到待掌握").
class VocabularyWordDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int buttonSide = 22;

    explicit VocabularyWordDelegate(VocabularyWordModel& model, QObject* parent = nullptr);

    // Where the row's button is, in view coordinates.
    static QRect buttonRect(const QRect& row);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

Q_SIGNALS:
    void buttonClicked(int row);

private:
    VocabularyWordModel& m_model;
};

}  // namespace klipo
