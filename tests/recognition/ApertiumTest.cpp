// The translation layer on the real Apertium (apertium-eng-spa is installed by
// the set-up; other packs are not) and on small stand-in pipelines.
#include "TextPictures.h"
#include "platform/text/ApertiumPairs.h"
#include "platform/text/ApertiumPipeline.h"
#include "platform/text/ApertiumTranslator.h"
#include "platform/text/Cld2LanguageDetector.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>

#include <csignal>
#include <thread>

using namespace klipo::platform;
using namespace std::chrono_literals;

namespace {

std::vector<TranslationRequest> requests(std::initializer_list<const char*> texts)
{
    std::vector<TranslationRequest> out;
    int id = 0;
    for (const char* t : texts) out.push_back({QString::fromUtf8(t), QString::number(id++)});
    return out;
}

const std::optional<QString> kSpanish = QStringLiteral("es");

// A modes folder holding one mode "spa-eng" with the given shell command.
QString modesWith(const QString& command)
{
    const QString dir = klipo::test::freshDir(QStringLiteral("modes"));
    QFile file(dir + QStringLiteral("/spa-eng.mode"));
    file.open(QIODevice::WriteOnly);
    file.write(command.toUtf8());
    return dir;
}

}  // namespace

TEST(Apertium, translatesSpanishIntoEnglish_ThroughOneKeptOpenPipeline)
{
    const Cld2LanguageDetector detector;
    ApertiumTranslator translator(&detector);
    const auto batch = requests({"El gato duerme en el sofá.", "Buenos días", "", "La casa es grande."});
    const TranslationOutcome first = translator.translate(batch, kSpanish, QStringLiteral("en"));
    ASSERT_TRUE(first.ok()) << qPrintable(first.message);
    ASSERT_EQ(first.responses.size(), 4u);
    EXPECT_EQ(first.responses[0].clientIdentifier, QStringLiteral("0"));
    EXPECT_EQ(first.responses[0].targetText, QStringLiteral("The cat sleeps in the sofa."));
    EXPECT_EQ(first.responses[1].targetText, QStringLiteral("Good morning"));
    EXPECT_EQ(first.responses[2].targetText, QString());
    EXPECT_EQ(first.responses[3].targetText, QStringLiteral("The house is big."));

    const pid_t pid = translator.pipelineFor(QStringLiteral("es"), QStringLiteral("en"))->processId();
    ASSERT_GT(pid, 0);
    const TranslationOutcome second = translator.translate(requests({"Gracias"}), kSpanish, QStringLiteral("en-US"));
    ASSERT_TRUE(second.ok());
    EXPECT_EQ(second.responses[0].targetText, QStringLiteral("Thank you"));
    EXPECT_EQ(translator.pipelineFor(QStringLiteral("es"), QStringLiteral("en"))->processId(), pid);

    // With the source left open it is recognised from the text.
    const TranslationOutcome detected = translator.translate(
        requests({"Mañana por la mañana vamos a visitar a mis abuelos en el pueblo."}), std::nullopt, QStringLiteral("en"));
    ASSERT_TRUE(detected.ok()) << qPrintable(detected.message);
    EXPECT_TRUE(detected.responses[0].targetText.contains(QStringLiteral("grandparents")));
}

TEST(Apertium, keepsStreamCharacters_AsPlainText)
{
    ApertiumTranslator translator(nullptr);
    const TranslationOutcome out = translator.translate(requests({"Precio: [10] $ ^x^ @b {c} <d> \\z/ gato"}), kSpanish,
                                                        QStringLiteral("en"));
    ASSERT_TRUE(out.ok()) << qPrintable(out.message);
    const QString text = out.responses[0].targetText;
    for (const char* piece : {"[10]", "$", "^x^", "@b", "{c}", "<d>", "\\z/", "cat"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(piece))) << piece << " in " << qPrintable(text);
    EXPECT_EQ(ApertiumPipeline::unescape(ApertiumPipeline::escape(QStringLiteral("a^b$c\\d"))), QStringLiteral("a^b$c\\d"));
}

TEST(Apertium, killingAnyOneStage_BetweenTranslations_LeavesTheNextOneWorking)
{
    // A short stall limit: a pipeline that noticed no death would fail the
    // next batch instead of answering it.
    ApertiumTranslator translator(nullptr, {QStringLiteral("/usr/share/apertium/modes"), 3000ms});
    ASSERT_TRUE(translator.translate(requests({"Hola"}), kSpanish, QStringLiteral("en")).ok());
    ApertiumPipeline* pipeline = translator.pipelineFor(QStringLiteral("es"), QStringLiteral("en"));
    const size_t stages = pipeline->stageProcessIds().size();
    ASSERT_GT(stages, 5u);
    for (size_t k = 0; k < stages; ++k) {
        ::kill(pipeline->stageProcessIds().at(k), SIGKILL);
        std::this_thread::sleep_for(20ms);
        const TranslationOutcome out = translator.translate(requests({"Adiós", "Gracias"}), kSpanish, QStringLiteral("en"));
        ASSERT_TRUE(out.ok()) << "stage " << k << ": " << qPrintable(out.message);
        EXPECT_EQ(out.responses[0].targetText, QStringLiteral("Goodbye"));
        EXPECT_EQ(out.responses[1].targetText, QStringLiteral("Thank you"));
    }
    // The whole pipeline killed at once, too.
    ::kill(-pipeline->processId(), SIGKILL);
    EXPECT_TRUE(translator.translate(requests({"Hola"}), kSpanish, QStringLiteral("en")).ok());
}

TEST(Apertium, misbehavingTranslator_FailsTheBatch_InsteadOfHangingOrMisplacingAnswers)
{
    const auto run = [](const char* command, std::chrono::milliseconds total) {
        ApertiumTranslator translator(nullptr, {modesWith(QString::fromUtf8(command)), 10000ms, total});
        return translator.translate(requests({"Hola", "Adiós"}), kSpanish, QStringLiteral("en"));
    };
    // Endless output without an end marker: stopped at the output cap.
    const TranslationOutcome flood = run("yes hola", 60000ms);
    EXPECT_EQ(flood.kind, TranslationOutcome::Kind::Failed);
    EXPECT_TRUE(flood.message.contains(QStringLiteral("输出异常"))) << qPrintable(flood.message);
    // Output dripping in without an end marker: stopped on total time.
    const TranslationOutcome drip = run("while :; do printf x; sleep 0.05; done", 1500ms);
    EXPECT_EQ(drip.kind, TranslationOutcome::Kind::Failed);
    EXPECT_TRUE(drip.message.contains(QStringLiteral("用时过长"))) << qPrintable(drip.message);
    // An extra end marker in every answer: the answers would shift by one.
    const TranslationOutcome extra = run("sed -u -z 's/^/X\\x00/'", 60000ms);
    EXPECT_EQ(extra.kind, TranslationOutcome::Kind::Failed);
    EXPECT_TRUE(extra.message.contains(QStringLiteral("段数"))) << qPrintable(extra.message);
}

TEST(Apertium, givesUpOnAStuckPipeline_InsteadOfHanging)
{
    ApertiumTranslator translator(nullptr, {modesWith(QStringLiteral("cat > /dev/null")), 300ms});
    QElapsedTimer timer;
    timer.start();
    const TranslationOutcome out = translator.translate(requests({"Hola"}), kSpanish, QStringLiteral("en"));
    EXPECT_EQ(out.kind, TranslationOutcome::Kind::Failed);
    EXPECT_TRUE(out.message.contains(QStringLiteral("没有响应")));
    EXPECT_LT(timer.elapsed(), 5000);  // gave up instead of hanging

    ApertiumTranslator crashing(nullptr, {modesWith(QStringLiteral("echo broken >&2; exit 3")), 2000ms});
    const TranslationOutcome died = crashing.translate(requests({"Hola"}), kSpanish, QStringLiteral("en"));
    EXPECT_EQ(died.kind, TranslationOutcome::Kind::Failed);
    EXPECT_TRUE(died.message.contains(QStringLiteral("意外退出"))) << qPrintable(died.message);
}

TEST(Apertium, stopsABatch_WhenCancelled)
{
    ApertiumTranslator translator(nullptr, {modesWith(QStringLiteral("cat > /dev/null")), 10000ms});
    CancelToken cancel;
    std::thread canceller([cancel] {
        std::this_thread::sleep_for(100ms);
        cancel.cancel();
    });
    QElapsedTimer timer;
    timer.start();
    const TranslationOutcome out = translator.translate(requests({"Hola"}), kSpanish, QStringLiteral("en"), cancel);
    canceller.join();
    EXPECT_EQ(out.kind, TranslationOutcome::Kind::Cancelled);
    EXPECT_LT(timer.elapsed(), 5000);  // not the 10 s a stuck pipeline would take
}

TEST(Apertium, reportsPackAvailability_AndTellsWhatToInstall)
{
    ApertiumTranslator translator(nullptr);
    EXPECT_EQ(translator.status(QStringLiteral("es"), QStringLiteral("en-US")), LanguagePairStatus::Installed);
    EXPECT_EQ(translator.status(QStringLiteral("en"), QStringLiteral("ca")), LanguagePairStatus::Supported);
    EXPECT_EQ(translator.status(QStringLiteral("es"), QStringLiteral("zh-Hans")), LanguagePairStatus::Unsupported);
    EXPECT_TRUE(translator.prepare(kSpanish, QStringLiteral("en")).ok());

    const TranslationOutcome missing = translator.prepare(QStringLiteral("en"), QStringLiteral("ca"));
    EXPECT_EQ(missing.message, QStringLiteral("本机还没有从英语翻译成加泰罗尼亚语的语言包，请安装 apertium-eng-cat："
                                              "sudo apt-get install apertium-eng-cat"));
    const TranslationOutcome none = translator.translate(requests({"Hola"}), kSpanish, QStringLiteral("zh-Hans"));
    EXPECT_FALSE(none.ok());
    EXPECT_TRUE(none.message.contains(QStringLiteral("西班牙语"))) << qPrintable(none.message);
}

TEST(Apertium, readsInstalledDirections_FromModeFileNames)
{
    const QString dir = klipo::test::freshDir(QStringLiteral("modes"));
    for (const char* name : {"spa-eng.mode", "eng-spa.mode", "spa-eng_US.mode", "README", "en-gl.mode"})
        QFile(dir + QLatin1Char('/') + QLatin1String(name)).open(QIODevice::WriteOnly);
    std::vector<QString> found;
    for (const ApertiumMode& m : installedModes(dir)) found.push_back(m.source + QLatin1Char('>') + m.target);
    EXPECT_EQ(found, (std::vector<QString>{QStringLiteral("en>gl"), QStringLiteral("en>es"), QStringLiteral("es>en")}));

    EXPECT_EQ(nullFlushingCommand(QStringLiteral("lt-proc 'a.bin' | apertium-tagger -g $2 'b.prob' | cat | lt-proc -z $1 'c.bin'")),
              QStringLiteral("lt-proc -z 'a.bin' | apertium-tagger -z -g $2 'b.prob' | cat | lt-proc -z $1 'c.bin'"));
}
