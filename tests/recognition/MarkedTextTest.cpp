// Text with marks on it, read: words on a highlight (a code review's changed
// words on a darker shade of their row, a search match) read in one line with
// the words around them, numbers on it as they are ("30", not "80").
#include "TextPictures.h"
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
                                            {"retries = ", "30"}};
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
