// A terminal's lines as a user reads them: each row whole, a sentence between
// a listing's rows translated as one line and nothing else, Chinese as Chinese.
#include "TextPictures.h"
#include "platform/text/ApertiumTranslator.h"
#include "platform/text/PageLayout.h"
#include "recognition/LiteralPieces.h"
#include "recognition/OCRService.h"
#include "recognition/ResultTranslationRun.h"

#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <QPainter>

using namespace klipo;

namespace {

OcrOutcome recognizeShot(const char* name)
{
    const QImage shot(QStringLiteral(KLIPO_SHOTS "/") + QLatin1String(name));
    if (shot.isNull()) return {false, QStringLiteral("no picture"), {}};
    return OCRService::recognizeBlocks(shot, false).result();
}

}  // namespace

// `ls -la` rows whose columns stand a cell apart right where the sentence
// below them has a word space: the empty column down the terminal parts no
// columns, every row is one line of one part, read top to bottom.
TEST(TerminalLines, everyRowIsOneLine_WhereverItsSpacesLineUpWithTheListingsColumns)
{
    QStringList rows = {QStringLiteral("total 60")};
    for (const int links : {10, 18, 2, 7, 14, 8, 2, 15})
        rows << QStringLiteral("drwxr-xr-x %1 root root 4096 Dec  9 09:29 dir%2").arg(links, 2).arg(links);
    rows << QStringLiteral("El perro come la comida en la cocina de la casa.")
         << QStringLiteral("root@host:/work/main#");
    for (const int pixelSize : {14, 15, 17}) {
        QFont font(QStringLiteral("DejaVu Sans Mono"));
        font.setPixelSize(pixelSize);
        const QFontMetricsF metrics(font);
        const int pitch = qCeil(metrics.height()) + 2;
        QImage picture(qCeil(metrics.horizontalAdvance(QString(60, QLatin1Char('x')))), pitch * int(rows.size()) + 16,
                       QImage::Format_RGB32);
        picture.fill(Qt::white);
        QPainter painter(&picture);
        painter.setFont(font);
        for (int i = 0; i < int(rows.size()); ++i)
            painter.drawText(QPointF(8, 8 + pitch * i + metrics.ascent()), rows[i]);
        painter.end();
        const platform::PageLayout layout = platform::analysePage(picture);
        ASSERT_EQ(layout.lines.size(), size_t(rows.size())) << pixelSize << " px";
        for (size_t i = 0; i < layout.lines.size(); ++i) {
            EXPECT_EQ(layout.lines[i].region, layout.lines.front().region) << pixelSize << " px, row " << i;
            EXPECT_TRUE(layout.lines[i].monospaced) << pixelSize << " px, row " << i;
            EXPECT_TRUE(i == 0 || layout.lines[i].rect.top() > layout.lines[i - 1].rect.top()) << pixelSize << " px";
        }
    }
}

// Screenshots of xterm under openbox, in DejaVu Sans Mono 11 pt and in its
// default face (which misreads modes and dots: "-ru-r--r--", "a,txt"): only
// the sentence is translated, whole, as one line.
TEST(TerminalLines, aSentenceBetweenListingRowsAndThePrompt_IsTranslatedWhole_AndNothingElse)
{
    if (platform::ApertiumTranslator(nullptr).status("es", "en") != platform::LanguagePairStatus::Installed)
        GTEST_SKIP() << "apertium-eng-spa is not installed";
    for (const char* name : {"xterm-sentence-between-rows.png", "xterm-misread-rows.png"}) {
        const OcrOutcome read = recognizeShot(name);
        ASSERT_TRUE(read.ok) << name << ": " << qPrintable(read.error);
        const QImage shot(QStringLiteral(KLIPO_SHOTS "/") + QLatin1String(name));
        const auto planned = ResultTranslationRun::plan(shot, read.blocks, 1, QStringLiteral("en"));
        ASSERT_EQ(planned.kind, ResultTranslationRun::Planned::Kind::translate) << name;
        const TranslationRunOutcome outcome = ResultTranslationRun::run(planned.job, {}, nullptr);
        ASSERT_EQ(outcome.drawn.size(), 1u) << name << ": " << qPrintable(outcome.translatedJoined);
        EXPECT_EQ(outcome.drawn.front().lines.size(), 1u) << name;
        EXPECT_TRUE(
            outcome.translatedJoined.startsWith(QLatin1String("The dog eats the lunch in the cookery of the house")))
            << name << ": " << qPrintable(outcome.translatedJoined);
        EXPECT_FALSE(outcome.translatedJoined.contains(QLatin1Char('\n'))) << name;
    }
}

// A listing's row is kept whole also with a letter of its mode misread, or
// its first letter cut off by a selection (or a sliver of it left).
TEST(TerminalLines, aListingRowWithAMisreadOrCutMode_IsKeptWhole)
{
    const std::pair<QString, bool> rows[] = {
        {"-ru-r--r-- 1 root root Ô Dec 8 12:03 a,txt", true},
        {"druxr-xr-x 6 root root 4096 Dec 9 11:04 ,,", true},
        {"rwxr-xr-x 16 root root 4096 Dec 9 09:29 tests", true},
        {"irwxr-xr-x 16 root root 4096 Dec 9 09:29 src", true},
        {"rw-r--r-- 1 root root 55 Dec 9 09:29 .gitignore", true},
        {"discutiran el tema de la cena", false},
        {"-recuerda- que la cena es hoy", false},
        {"reservada para tres personas", false},
    };
    for (const auto& [row, whole] : rows) {
        const std::vector<LiteralPieces::Piece> pieces = LiteralPieces::find(row, true);
        EXPECT_EQ(pieces.size() == 1 && pieces.front().length == row.size(), whole) << qPrintable(row);
    }
}

// Screenshots of xterm in DejaVu Sans Mono 11 pt, Noto Sans Mono CJK SC for
// the wide characters: Chinese names in a listing, Chinese beside digits and
// Latin words in messages are read as Chinese ("下载" was "FẸ"). Spaces and
// the brackets' width are left out of the comparison.
TEST(TerminalLines, chineseBesideDigitsAndLatinWords_IsReadAsChinese)
{
    const QStringList listing = {"48213Dec809:412026预算表", "4096Dec809:41下载", "1520Dec809:41会议记录.txt",
                                 "4096Dec809:41照片"};
    const std::pair<const char*, QStringList> shots[] = {
        {"xterm-chinese-beside-digits.png", listing + QStringList{"3秒后重试(第1次，共3次)", "已下载12个文件，共35MB"}},
        {"xterm-chinese-after-latin.png", listing + QStringList{"==上传2026预算表", "3秒后重试(第1次，共3次)"}},
    };
    for (const auto& [name, expected] : shots) {
        const OcrOutcome read = recognizeShot(name);
        ASSERT_TRUE(read.ok) << name << ": " << qPrintable(read.error);
        const QString text = test::squeezed(test::allText(read.blocks)).replace(u'（', u'(').replace(u'）', u')');
        for (const QString& words : expected)
            EXPECT_TRUE(text.contains(words)) << name << ": " << qPrintable(words) << " in " << qPrintable(text);
    }
}
