// A terminal's lines as a user reads them: each row whole, whatever its
// spaces line up with in the rows around it; a sentence printed between a
// listing's rows is translated as one line, and the listing's rows and the
// prompt (also as a small face is misread) are left as they are.
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

const QString kSentence = QStringLiteral("El perro come la comida en la cocina de la casa.");

// Rows of `ls -la` whose columns part a cell or two apart at the very places
// where the sentence has its spaces (after "come", after "comida").
const QStringList kListing = {
    QStringLiteral("total 60"),
    QStringLiteral("drwxr-xr-x 10 root root 4096 Dec  9 10:32 ."),
    QStringLiteral("drwxr-xr-x 18 root root 4096 Dec  9 11:02 .."),
    QStringLiteral("drwxr-xr-x  2 root root 4096 Dec  9 09:29 .ci"),
    QStringLiteral("-rw-r--r--  1 root root  461 Dec  9 09:29 .clang-format"),
    QStringLiteral("drwxr-xr-x  7 root root 4096 Dec  9 10:45 .git"),
    QStringLiteral("-rw-r--r--  1 root root 1512 Dec  9 09:29 CMakeLists.txt"),
    QStringLiteral("-rw-r--r--  1 root root 6358 Dec  9 10:32 README.md"),
    QStringLiteral("drwxr-xr-x 14 root root 4096 Dec  9 09:29 bench"),
    QStringLiteral("drwxr-xr-x  8 root root 4096 Dec  9 10:48 build"),
    QStringLiteral("drwxr-xr-x  2 root root 4096 Dec  9 09:29 cmake"),
    QStringLiteral("drwxr-xr-x 15 root root 4096 Dec  9 09:29 src"),
};

// A terminal in DejaVu Sans Mono: the listing, the sentence, the prompt.
QImage terminal(int pixelSize, const QStringList& rows)
{
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setPixelSize(pixelSize);
    const QFontMetricsF metrics(font);
    const int pitch = qCeil(metrics.height()) + 2;
    QImage picture(qCeil(metrics.horizontalAdvance(QString(60, QLatin1Char('x')))) + 16, pitch * int(rows.size()) + 16,
                   QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setFont(font);
    painter.setPen(Qt::black);
    for (int i = 0; i < int(rows.size()); ++i) painter.drawText(QPointF(8, 8 + pitch * i + metrics.ascent()), rows[i]);
    return picture;
}

OcrOutcome recognize(const QImage& image)
{
    QFuture<OcrOutcome> future = OCRService::recognizeBlocks(image, false);
    future.waitForFinished();
    return future.resultCount() == 1 ? future.result() : OcrOutcome{false, QStringLiteral("no outcome"), {}};
}

}  // namespace

// The page layout keeps every row of the terminal whole, in one part of the
// page, read top to bottom: the empty column that runs down the listing
// between the owners and the sizes, and through the sentence's word space,
// parts no columns.
TEST(TerminalLines, everyRowIsOneLine_WhereverItsSpacesLineUpWithTheListingsColumns)
{
    QStringList rows = kListing;
    rows << kSentence << QStringLiteral("root@host:/work/main#");
    for (const int pixelSize : {14, 15, 17}) {
        const QImage picture = terminal(pixelSize, rows);
        const platform::PageLayout layout = platform::analysePage(picture);
        ASSERT_EQ(layout.lines.size(), size_t(rows.size())) << pixelSize << " px";
        for (size_t i = 0; i < layout.lines.size(); ++i) {
            const platform::LayoutLine& line = layout.lines[i];
            EXPECT_EQ(line.region, layout.lines.front().region) << pixelSize << " px, row " << i;
            EXPECT_TRUE(line.monospaced) << pixelSize << " px, row " << i;
            if (i > 0) {
                EXPECT_GT(line.rect.top(), layout.lines[i - 1].rect.top()) << pixelSize << " px, row " << i;
            }
        }
    }
}

// Screenshots of xterm under openbox, in DejaVu Sans Mono 11 pt and in its
// default face (whose modes and dots are misread: "-ru-r--r--", "a,txt"):
// only the sentence is translated, as one line, the listing's rows and the
// prompt are left as they are, and the translation is the sentence's whole.
TEST(TerminalLines, aSentenceBetweenListingRowsAndThePrompt_IsTranslatedWhole_AndNothingElse)
{
    const platform::ApertiumTranslator apertium(nullptr);
    if (apertium.status("es", "en") != platform::LanguagePairStatus::Installed)
        GTEST_SKIP() << "apertium-eng-spa is not installed";
    for (const char* name : {"xterm-sentence-between-rows.png", "xterm-misread-rows.png"}) {
        const QImage shot(QStringLiteral(KLIPO_SHOTS "/") + QLatin1String(name));
        ASSERT_FALSE(shot.isNull()) << name;
        const OcrOutcome read = recognize(shot);
        ASSERT_TRUE(read.ok) << name << ": " << qPrintable(read.error);
        const ResultTranslationRun::Planned planned =
            ResultTranslationRun::plan(shot, read.blocks, 1, QStringLiteral("en"));
        ASSERT_EQ(planned.kind, ResultTranslationRun::Planned::Kind::translate) << name;
        const TranslationRunOutcome outcome = ResultTranslationRun::run(planned.job, {}, nullptr);
        ASSERT_EQ(outcome.kind, TranslationRunOutcome::Kind::Translated) << name << ": " << qPrintable(outcome.failure);
        ASSERT_EQ(outcome.drawn.size(), 1u) << name << ": " << qPrintable(outcome.translatedJoined);
        EXPECT_EQ(outcome.drawn.front().lines.size(), 1u) << name;
        EXPECT_TRUE(
            outcome.translatedJoined.startsWith(QStringLiteral("The dog eats the lunch in the cookery of the house")))
            << name << ": " << qPrintable(outcome.translatedJoined);
        EXPECT_FALSE(outcome.translatedJoined.contains(QLatin1Char('\n'))) << name;
    }
}

// A listing's row is kept whole also when the face's letters are misread
// in its mode, or its first letter is cut off; words that merely start like
// one are language.
TEST(TerminalLines, aListingRowWithAMisreadMode_IsKeptWhole)
{
    const std::pair<QString, bool> rows[] = {
        {QStringLiteral("-ru-r--r-- 1 root root Ô Dec 8 12:03 a,txt"), true},
        {QStringLiteral("druxr-xr-x 6 root root 4096 Dec 9 11:04 ,,"), true},
        {QStringLiteral("-rw-r--r-- 1l root root © Dec 8 12:03 a.txt"), true},
        {QStringLiteral("drwxr-xr-x 2 root root 4096 Dec 9 11:03 fotos"), true},
        // The first column cut off by the edge of a selection, or a sliver of it left.
        {QStringLiteral("rwxr-xr-x 16 root root 4096 Dec 9 09:29 tests"), true},
        {QStringLiteral("rw-r--r-- 1 root root 55 Dec 9 09:29 .gitignore"), true},
        {QStringLiteral("irwxr-xr-x 16 root root 4096 Dec 9 09:29 tests"), true},
        {QStringLiteral("reservada para tres personas"), false},
        {QStringLiteral("discutiran el tema de la cena"), false},
        {QStringLiteral("-recuerda- que la cena es hoy"), false},
    };
    for (const auto& [row, whole] : rows) {
        const std::vector<LiteralPieces::Piece> pieces = LiteralPieces::find(row, true);
        const bool keptWhole = pieces.size() == 1 && pieces.front().length == row.size();
        EXPECT_EQ(keptWhole, whole) << qPrintable(row);
    }
}

// Screenshots of xterm in DejaVu Sans Mono 11 pt with Noto Sans Mono CJK SC
// for the wide characters: a listing with Chinese names and messages with
// Chinese beside digits and Latin, below or above the listing. Each Chinese
// word is read as Chinese, not as Latin letters as wide as its characters
// ("下载" as "FẸ", "2026预算表" as "20267 Ñ X"). (Spaces and the brackets'
// width are left out of the comparison.)
TEST(TerminalLines, chineseBesideDigitsAndLatinWords_IsReadAsChinese)
{
    const QStringList listing = {"48213Dec809:412026预算表", "4096Dec809:41下载", "1520Dec809:41会议记录.txt",
                                 "4096Dec809:41照片"};
    const std::pair<const char*, QStringList> shots[] = {
        {"xterm-chinese-beside-digits.png", listing + QStringList{"3秒后重试(第1次，共3次)", "已下载12个文件，共35MB"}},
        {"xterm-chinese-after-latin.png", listing + QStringList{"==上传2026预算表", "3秒后重试(第1次，共3次)"}},
    };
    for (const auto& [name, expected] : shots) {
        const QImage shot(QStringLiteral(KLIPO_SHOTS "/") + QLatin1String(name));
        ASSERT_FALSE(shot.isNull()) << name;
        const OcrOutcome read = recognize(shot);
        ASSERT_TRUE(read.ok) << name << ": " << qPrintable(read.error);
        QStringList lines;
        for (const TextBlock& block : read.blocks)
            for (const TextLine& line : block.lines)
                lines << test::squeezed(line.text)
                             .replace(QStringLiteral("（"), QStringLiteral("("))
                             .replace(QStringLiteral("）"), QStringLiteral(")"));
        for (const QString& words : expected)
            EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const QString& l) { return l.contains(words); }))
                << name << ": " << qPrintable(words) << " in\n"
                << qPrintable(lines.join(QLatin1Char('\n')));
    }
}
