// The vocabulary section on the headless desktop over the program's real
// vocabulary store: its rows and menus, and the definition runs with the
// installed WordNet dictionary and Apertium pair.
#include "library/vocabulary/DefinitionRuns.h"
#include "library/vocabulary/VocabularySection.h"
#include "library/vocabulary/VocabularyWordList.h"
#include "library/widgets/EmptyState.h"
#include "library/widgets/SegmentedControl.h"
#include "platform/Clipboard.h"
#include "platform/PlatformServices.h"
#include "platform/text/TextServices.h"
#include "platform/text/Translator.h"
#include "platform/text/WordNet.h"
#include "library/LibraryTestSupport.h"

#include <QLabel>
#include <QListView>

using namespace klipo;
using namespace klipo::test;

namespace {

const QStringList kNouns = QStringLiteral(
    "apple bread chair table window door house garden river mountain forest ocean island city village road bridge "
    "tower castle church school student teacher doctor nurse farmer baker artist writer singer engine wheel machine "
    "computer keyboard screen mouse cable battery camera picture letter paper pencil")
        .split(' ');

// Words put in the book ranked in the order given.
void addWords(const QStringList& words)
{
    QList<VocabularyWord> book;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (int i = 0; i < words.size(); ++i) {
        VocabularyWord word;
        word.normalized = word.display = words.at(i);
        word.count = 1000 - i;
        word.firstSeen = word.lastSeen = now;
        book.append(word);
    }
    VocabularyStore::shared().mergeFromBackup(book);
    ASSERT_TRUE(QTest::qWaitFor([&] { return VocabularyStore::shared().topWords().size() == words.size(); }, 5000));
}

std::optional<VocabularyWord> word(const QString& key)
{
    for (const VocabularyWord& w : VocabularyStore::shared().words())
        if (w.normalized == key) return w;
    return std::nullopt;
}

// Shows the section afresh and waits for the run it starts to end.
QStringList runOnce()
{
    DefinitionRuns& runs = DefinitionRuns::shared();
    LibraryTest::showFresh(LibrarySection::vocabulary);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !runs.isPending(); }, 20000));
    QTest::qWait(50);  // the store publishes what the run stored
    return runs.lastRequested();
}

qint64 definedCount() { return VocabularyStore::shared().stats().definedCount; }

// Apertium stand-in: answers "def-<word>" and fails once at its third call.
class FailingOnceTranslator : public platform::Translator {
public:
    platform::LanguagePairStatus status(const QString&, const QString&) const override { return {}; }  // Installed
    platform::TranslationOutcome prepare(const std::optional<QString>&, const QString&) override { return {}; }
    platform::TranslationOutcome translate(const std::vector<platform::TranslationRequest>& requests,
                                           const std::optional<QString>&, const QString&,
                                           const platform::CancelToken&) override
    {
        if (++calls == 3) return platform::TranslationOutcome::failed(QStringLiteral("翻译引擎意外退出"));
        platform::TranslationOutcome outcome;
        for (const auto& request : requests)
            outcome.responses.push_back({request.clientIdentifier, "def-" + request.sourceText});
        return outcome;
    }
    std::atomic<int> calls{0};
};

}  // namespace

class VocabularySectionTest : public LibraryTest {
protected:
    void SetUp() override
    {
        LibraryTest::SetUp();
        ASSERT_TRUE(QTest::qWaitFor([] { return !DefinitionRuns::shared().isPending(); }, 20000));
        DefinitionRuns::shared().forgetTried();
    }
};

// Chips, both lists, mastering and bringing back with the row's button, copy
// of the display form and removal.
TEST_F(VocabularySectionTest, rows_MasterRestoreCopyAndRemove)
{
    VocabularyStore::shared().ingest({"Apple apple apple pear pear plum"}, {}, QDateTime::currentDateTimeUtc());
    showFresh(LibrarySection::vocabulary);
    auto* section = this->section<VocabularySection>();
    ASSERT_NE(section, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return section->model().rowCount() == 3; }, 5000));
    EXPECT_EQ(section->chipValues(), (QList<qint64>{3, 0, 6}));

    const auto clickButton = [&](int row) {
        QListView* list = section->wordList();
        const QRect button = VocabularyWordDelegate::buttonRect(list->visualRect(section->model().index(row)));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, button.center());
    };
    ASSERT_EQ(section->model().wordAt(0).display, "Apple");
    clickButton(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return section->model().rowCount() == 2; }, 5000));
    EXPECT_EQ(section->chipValues(), (QList<qint64>{2, 1, 6}));

    QTest::mouseClick(section->listSwitch(), Qt::LeftButton, {}, section->listSwitch()->segmentCenter(1));
    ASSERT_TRUE(QTest::qWaitFor([&] { return section->model().rowCount() == 1; }, 5000));
    EXPECT_TRUE(section->model().isMasteredList());
    clickButton(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return section->currentEmptyState() != nullptr; }, 5000));
    EXPECT_EQ(section->currentEmptyState()->title(), "还没有标记已掌握的单词");
    section->setShowMastered(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return section->model().rowCount() == 3; }, 5000));

    std::unique_ptr<QMenu> menu(section->wordMenu(*word("apple")));
    action(menu.get(), "复制单词")->trigger();
    EXPECT_EQ(platform::services().clipboard->text(), "Apple");
    menu.reset(section->wordMenu(*word("pear")));
    action(menu.get(), "从单词本移除")->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return section->model().rowCount() == 2; }, 5000));
    EXPECT_FALSE(word("pear"));
}

// Without WordNet (and no pair for the target) the section names the package.
// With it, undefined words get English glosses 40 a run; a word the dictionary
// lacks keeps "（暂无释义）" and does not hold back the words after it.
TEST_F(VocabularySectionTest, wordNet_IsNamedWhenMissing_ElseDefinesFortyARun_MovingPastAWordItLacks)
{
    addWords(QStringList{"klipoversa"} + kNouns);
    setWordNetDirectory(freshDir("no-wordnet"));
    showFresh(LibrarySection::vocabulary);
    auto* section = this->section<VocabularySection>();
    ASSERT_NE(section, nullptr);
    EXPECT_TRUE(section->notice()->isVisible() && section->notice()->text().contains("wordnet-base"));
    EXPECT_FALSE(DefinitionRuns::shared().isPending());
    setWordNetDirectory({});
    if (!wordNetReader()->isInstalled()) GTEST_SKIP() << "wordnet-base is not installed";
    DefinitionRuns::shared().forgetTried();

    const QStringList asked = runOnce();
    EXPECT_EQ(asked.size(), 40);
    EXPECT_EQ(asked.value(0), "klipoversa");
    EXPECT_EQ(definedCount(), 39);
    EXPECT_EQ(runOnce(), kNouns.mid(39));
    EXPECT_EQ(definedCount(), kNouns.size());

    EXPECT_FALSE(word("klipoversa")->definition);
    EXPECT_TRUE(word("apple")->definition->startsWith("n. ")) << word("apple")->definition->toStdString();
    EXPECT_EQ(word("apple")->definitionLanguage, "en");
    section = this->section<VocabularySection>();
    ASSERT_NE(section, nullptr);
    EXPECT_EQ(section->model().data(section->model().index(0), VocabularyWordModel::DefinitionRole).toString(), "（暂无释义）");
    EXPECT_FALSE(section->notice()->isVisible());
}

// With the English-Spanish pair and target "es" the definitions are Apertium's
// translations; after the target changes they are looked up again.
TEST_F(VocabularySectionTest, spanishPair_TranslatesWords_AndRedoesThemForANewTarget)
{
    platform::Translator* translator = platform::textServices().translator;
    if (!translator || translator->status("en", "es") != platform::LanguagePairStatus::Installed)
        GTEST_SKIP() << "apertium-eng-spa is not installed";
    if (!wordNetReader()->isInstalled()) GTEST_SKIP() << "wordnet-base is not installed";
    platform::SettingsStore::shared().setValue("targetLanguage", "es");
    addWords({"house", "water", "xyzzyq", "river"});
    // Stored before definitions had a language: kept whatever the target.
    VocabularyStore::shared().setDefinitions({{"river", "旧的释义"}});
    ASSERT_TRUE(QTest::qWaitFor([] { return VocabularyStore::shared().stats().definedCount == 1; }, 5000));
    runOnce();
    EXPECT_EQ(word("house")->definition, "casa");
    EXPECT_EQ(word("house")->definitionLanguage, "es");
    EXPECT_EQ(word("water")->definition, "agua");
    EXPECT_FALSE(word("xyzzyq")->definition);  // only marked unknown: nothing is made up

    platform::SettingsStore::shared().setValue("targetLanguage", "zh-Hans");
    runOnce();
    EXPECT_TRUE(word("house")->definition->startsWith("n. ")) << word("house")->definition->toStdString();
    EXPECT_EQ(word("house")->definitionLanguage, "en");
    EXPECT_EQ(word("river")->definition, "旧的释义");
}

// A run that fails keeps the answers found before the failure, says so once,
// and the next run asks again for the words it did not reach.
TEST_F(VocabularySectionTest, failingRun_KeepsEarlierAnswers_AndRetriesTheRest)
{
    FailingOnceTranslator translator;
    platform::ScopedTextServices scoped({nullptr, nullptr, &translator});
    platform::SettingsStore::shared().setValue("targetLanguage", "es");
    addWords({"alpha", "bravo", "charlie", "delta", "echo"});
    runOnce();
    EXPECT_EQ(definedCount(), 2);
    EXPECT_EQ(word("alpha")->definition, "def-alpha");
    EXPECT_EQ(toastTitle(), "单词释义查询中断");
    EXPECT_EQ(runOnce(), (QStringList{"charlie", "delta", "echo"}));
    EXPECT_EQ(definedCount(), 5);
}
