// Text with marks on it, read: words on a highlight (a code review's changed
// words on a darker shade of their row, a search match) read in one line with
// the words around them, numbers on it as they are ("30", not "80"); an old
// price struck through reads whole beside the new one, and letters whose
// strokes meet in a row are no line through them.
#include "TextPictures.h"
#include "platform/text/StrikeLines.h"
#include "recognition/OCRService.h"

#include <gtest/gtest.h>

#include <QPainter>

using namespace klipo;

namespace {

QStringList readLines(const QImage& image)
{
    QStringList read;
    for (const TextBlock& block : OCRService::recognizeBlocks(image, false).result().blocks)
        for (const TextLine& line : block.lines) read << test::squeezed(line.text);
    return read;
}

}  // namespace

TEST(MarkedText, wordsOnAHighlight_ReadInOneLineWithTheWordsAroundThem)
{
    struct Scheme {
        const char* name;
        QColor page, row, highlight, ink;
    };
    const Scheme schemes[] = {
        {"added lines", Qt::white, QColor(230, 255, 236), QColor(171, 242, 188), QColor(36, 41, 47)},
        {"removed lines", Qt::white, QColor(255, 235, 233), QColor(255, 193, 192), QColor(36, 41, 47)},
        {"dark theme", QColor(13, 17, 23), QColor(18, 38, 30), QColor(35, 98, 55), QColor(230, 237, 243)},
        {"search match", Qt::white, Qt::white, QColor(255, 236, 120), QColor(36, 41, 47)},
    };
    // Every other piece of each line on the highlight.
    const std::vector<QStringList> lines = {{"timeout=", "self.timeout", ","},
                                            {"raise ", "UploadError", "(f\"upload of {path} failed\")"},
                                            {"if response.status_code != ", "200", ":"},
                                            {"retries = ", "30"},
                                            {"if ", "not response.ok", ":"}};
    QFont mono(QStringLiteral("DejaVu Sans Mono"));
    mono.setPixelSize(13);
    const QFontMetrics metrics(mono);
    for (const Scheme& s : schemes) {
        QImage page(560, 40 + 22 * int(lines.size()), QImage::Format_RGB32);
        page.fill(s.page);
        QPainter p(&page);
        p.setFont(mono);
        for (int i = 0; i < int(lines.size()); ++i) {
            const int top = 20 + 22 * i;
            p.fillRect(QRect(0, top, page.width(), 22), s.row);
            p.setPen(QColor(110, 119, 129));
            p.drawText(QPoint(10, top + 15), QString::number(40 + i));
            p.setPen(s.ink);
            for (int k = 0, x = 60; k < lines[size_t(i)].size();
                 x += metrics.horizontalAdvance(lines[size_t(i)][k++])) {
                if (k % 2)
                    p.fillRect(QRect(x, top + 3, metrics.horizontalAdvance(lines[size_t(i)][k]), 17), s.highlight);
                p.drawText(QPoint(x, top + 15), lines[size_t(i)][k]);
            }
        }
        p.end();
        const QStringList read = readLines(page);
        for (const QStringList& line : lines)
            EXPECT_TRUE(read.contains(test::squeezed(line.join(QString()))))
                << s.name << ": " << qPrintable(line.join(QString()) + " in " + read.join(" | "));
    }
}

TEST(MarkedText, anOldPriceStruckThrough_ReadsWhole_BesideTheNewOne)
{
    // New and old prices in pairs; the euro sign is left out of the check.
    const QStringList prices = {"49,99", "59,99", "249,00", "299,00", "24,99", "32,99"};
    for (const QString& family : {QStringLiteral("DejaVu Sans"), QStringLiteral("DejaVu Serif")})
        for (const int s : {1, 2}) {
            QImage page(420 * s, 140 * s, QImage::Format_RGB32);
            page.fill(QColor(244, 244, 244));
            QPainter p(&page);
            QFont font(family);
            for (int i = 0; i < prices.size(); ++i) {
                const bool old = i % 2;
                font.setPixelSize((old ? 14 : 18) * s);
                font.setBold(!old);
                font.setStrikeOut(old);
                p.setFont(font);
                p.setPen(old ? QColor(119, 119, 119) : QColor(196, 0, 26));
                p.drawText(QPoint(old ? 130 : 20, 40 + 40 * (i / 2)) * s, prices[i] + " €");
            }
            p.end();
            const QString read = readLines(page).join(" | ");
            for (const QString& price : prices)
                EXPECT_TRUE(read.contains(price))
                    << qPrintable(QStringLiteral("%1 at %2x: %3 in %4").arg(family).arg(s).arg(price, read));
        }
}

TEST(MarkedText, aLineThroughText_IsTakenOut_ButNoLettersStrokesMeetingInARow)
{
    struct Case {
        const char* text;
        const char* family;
        bool bold;
        bool struck;
    };
    const Case cases[] = {
        // Middle strokes that run from one character into the next are the letters' own.
        {"十一月", "WenQuanYi Micro Hei", false, false},
        {"王五丰王", "WenQuanYi Micro Hei", true, false},
        {"二十一", "WenQuanYi Micro Hei", false, false},
        // Old prices struck through, bold letters set close together too.
        {"原价¥399", "WenQuanYi Micro Hei", true, true},
        {"原价 299 元", "WenQuanYi Micro Hei", false, true},
        {"49,99 €", "DejaVu Sans", false, true},
        {"Preis", "DejaVu Serif", true, true},
    };
    for (const Case& c : cases)
        for (const int size : {12, 14, 16, 18, 24}) {
            QFont font(QString::fromLatin1(c.family));
            font.setPixelSize(size);
            font.setBold(c.bold);
            font.setStrikeOut(c.struck);
            const QString text = QString::fromUtf8(c.text);
            const QFontMetrics metrics(font);
            // Dark text on white, as a line's picture is read.
            QImage image(metrics.horizontalAdvance(text) + 8, metrics.height() + 8, QImage::Format_Grayscale8);
            image.fill(255);
            QPainter p(&image);
            p.setFont(font);
            p.setPen(Qt::black);
            p.drawText(QPoint(4, 4 + metrics.ascent()), text);
            p.end();
            const QImage drawn = image;
            EXPECT_EQ(platform::eraseLinesThrough(image), c.struck) << c.text << " at " << size << " px";
            if (!c.struck) EXPECT_EQ(image, drawn) << c.text << " at " << size << " px";
        }
}
