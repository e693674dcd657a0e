#pragma once

#include "stores/VocabularyWord.h"

#include <QList>
#include <QWidget>

class QLabel;
class QListView;
class QMenu;
class QStackedWidget;

namespace klipo {

class EmptyState;
class SegmentedControl;
class VocabularyStore;
class VocabularyWordModel;

// The vocabulary section of the library window: the words to learn (ranked by
// the store) or the mastered ones, each with its definition and count, a
// button to mark it mastered or bring it back and a menu to copy or remove
// it; three numbers above. While it is on screen it has definitions filled in
// (DefinitionRuns): when it appears and whenever the number of words to learn
// changes.
class VocabularySection : public QWidget {
    Q_OBJECT
public:
    explicit VocabularySection(VocabularyStore& store, QWidget* parent = nullptr);

    bool showsMastered() const;
    void setShowMastered(bool mastered);

    QMenu* wordMenu(const VocabularyWord& word);

    // For tests: the parts as they are now.
    SegmentedControl* listSwitch() const { return m_switch; }
    QListView* wordList() const { return m_list; }
    VocabularyWordModel& model() const { return *m_model; }
    EmptyState* currentEmptyState() const;
    // The chips' numbers: words to learn, mastered, occurrences.
    QList<qint64> chipValues() const;
    // The line naming the package to install, when no definitions can be had.
    QLabel* notice() const { return m_notice; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Each change of a book that another running copy holds is told not saved.
    void tellIfHeldElsewhere();
    QWidget* makeChip(const QString& label, QLabel** value);
    void storeChanged();
    void refreshMastered();
    void translateMissingDefinitions();
    void showContent();
    void updateNotice();

    VocabularyStore& m_store;
    VocabularyWordModel* m_model;
    SegmentedControl* m_switch;
    QLabel* m_unlearned = nullptr;
    QLabel* m_masteredCount = nullptr;
    QLabel* m_occurrences = nullptr;
    QLabel* m_notice;
    QStackedWidget* m_content;
    QListView* m_list;
    EmptyState* m_noWords;
    EmptyState* m_noMastered;
    QList<VocabularyWord> m_mastered;
    qsizetype m_topCount = -1;  // the number of words to learn last shown
};

}  // namespace klipo
