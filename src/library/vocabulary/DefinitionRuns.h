#pragma once

#include "library/vocabulary/Definitions.h"

#include <QObject>
#include <QSet>
#include <QStringList>

namespace klipo {

class VocabularyStore;

// The runs that fill in the vocabulary book's definitions while its section is
// on screen: at most 40 words a run, looked up off the main thread, one run
// at a time in the whole program. A word that needs one has no definition, or
// one in another language than the current source writes (the target
// changed). Words looked up this session without an answer are skipped, so
// each run moves on to the next ones. Main thread.
class DefinitionRuns : public QObject {
    Q_OBJECT
public:
    static constexpr int wordsPerRun = 40;

    static DefinitionRuns& shared();

    // Where definitions come from now (the target language is read afresh).
    DefinitionPlan plan() const;

    // Starts a run over the store's ranked words to learn, unless one is
    // pending or no word needs a definition. True when a run started.
    bool start(VocabularyStore& store);
    bool isPending() const { return m_pending; }
    // The keys the last run asked for, in order (tests follow the runs).
    const QStringList& lastRequested() const { return m_lastRequested; }

    // Forgets the words tried so far (a new session for tests).
    void forgetTried() { m_tried.clear(); }

Q_SIGNALS:
    void finished();

private:
    bool m_pending = false;
    QSet<QString> m_tried;  // language + "\n" + key
    QStringList m_lastRequested;
    QSet<QString> m_toldErrors;
};

}  // namespace klipo
