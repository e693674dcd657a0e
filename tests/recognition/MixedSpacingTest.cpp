// Chinese beside Latin letters and digits, read as the screen shows it: the
// engine breaks its words where the script changes, and those breaks are no
// spaces of the text ("3月15日" is not "3 月 15 日"); where the screen does
// show a gap between them, the space stays ("国产 AI 芯片"). Pieces of a long
// line join the same way.
#include "TextPictures.h"
#include "platform/text/LinePieces.h"
#include "recognition/OCRService.h"

#include <gtest/gtest.h>

using namespace klipo;

namespace {

QString readLine(const QString& text, int pixelSize)
{
    const QImage image =
        test::drawPicture(QSize(pixelSize * (int(text.size()) + 4), pixelSize * 3),
                          {{text, QPoint(pixelSize, pixelSize), pixelSize}}, {Qt::white, Qt::black, true});
    QFuture<OcrOutcome> future = OCRService::recognizeBlocks(image, false);
    future.waitForFinished();
    return future.resultCount() == 1 ? test::allText(future.result().blocks) : QString();
}

platform::TesseractEngine::Result piece(const QString& text)
{
    platform::TesseractEngine::Result r;
    platform::RecognizedLine line;
    line.text = text;
    line.confidence = 90;
    line.symbols.push_back({0, 1, QRect(0, 0, 10, 10)});
    r.lines.push_back(line);
    return r;
}

}  // namespace

TEST(MixedSpacing, chineseBesideLatinAndDigits_KeepsTheSpacesTheScreenShows_AndAddsNone)
{
    const QStringList texts = {
        QStringLiteral("会议定在3月15日下午举行"),
        QStringLiteral("国产AI芯片的出货量继续增长"),
        QStringLiteral("国产 AI 芯片的出货量继续增长"),
        QStringLiteral("请在2026年4月1日前提交"),
        QStringLiteral("已经重试 2 次"),
        QStringLiteral("打开Linux终端输入命令"),
    };
    for (int size : {16, 22}) {
        for (const QString& text : texts) {
            // A character may be misread; where a space stands must not be.
            const QString read = readLine(text, size);
            EXPECT_EQ(read.count(QLatin1Char(' ')), text.count(QLatin1Char(' ')))
                << size << " px: " << qPrintable(text) << " read as " << qPrintable(read);
        }
    }
}

TEST(MixedSpacing, piecesOfALongLine_JoinWithASpace_ButNoneBetweenChineseCharacters)
{
    struct Case {
        const char* left;
        const char* right;
        const char* joined;
    };
    const Case cases[] = {
        {"El tren llega", "a la estacion", "El tren llega a la estacion"},
        {"会议在下午，", "地点在二楼", "会议在下午，地点在二楼"},
        {"国产", "AI 芯片", "国产 AI 芯片"},
        {"version 3.2", "发布", "version 3.2 发布"},
    };
    for (const Case& c : cases) {
        std::vector<platform::TesseractEngine::Result> pieces;
        pieces.push_back(piece(QString::fromUtf8(c.left)));
        pieces.push_back(piece(QString::fromUtf8(c.right)));
        const platform::TesseractEngine::Result joined = platform::joinedPieces(std::move(pieces));
        ASSERT_EQ(joined.lines.size(), 1u);
        const platform::RecognizedLine& line = joined.lines[0];
        EXPECT_EQ(line.text, QString::fromUtf8(c.joined)) << qPrintable(line.text);
        // The second piece's first symbol still points at its first character.
        ASSERT_EQ(line.symbols.size(), 2u);
        EXPECT_EQ(line.text.mid(line.symbols[1].start, 1), QString::fromUtf8(c.right).left(1)) << c.joined;
    }
}
