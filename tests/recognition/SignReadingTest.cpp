// The signs between the parts of a line (a forum post's author, age and
// replies; a breadcrumb) are read as drawn, spaces and all.
#include "recognition/OCRService.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>

using namespace klipo;

TEST(SignReading, middleDotsAndBreadcrumbSlashes_AreReadAsDrawn)
{
    QFont font = QGuiApplication::font();
    if (!QFontMetrics(font).inFont(QChar(0x00B7))) GTEST_SKIP() << "no middle dot in this machine's face";
    const QStringList lines = {QString::fromUtf8("Jonas Müller · 2 h · 612 Kontakte"),
                               QStringLiteral("~ / Compartir / Archivo")};
    for (const int size : {13, 20}) {
        QImage image(700, 50 * int(lines.size()) + 20, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            font.setPixelSize(size);
            painter.setFont(font);
            painter.setPen(QColor(60, 60, 60));
            for (int i = 0; i < int(lines.size()); ++i) painter.drawText(QPointF(20, 35 + 50 * i), lines[i]);
        }
        const OcrOutcome read = OCRService::recognizeBlocks(image, false).result();
        ASSERT_TRUE(read.ok) << qPrintable(read.error);
        QString text;
        for (const TextBlock& block : read.blocks) text += block.text + QLatin1Char('\n');
        SCOPED_TRACE(qPrintable(text));
        EXPECT_EQ(text.count(QChar(0x00B7)), 2) << size << " px";
        EXPECT_TRUE(text.contains(QLatin1String("~ / Compartir"))) << size << " px";
    }
}

// On a Chinese line the engine reads the dot between a name and the time as
// a full stop or another sign; it is read as the dot drawn, and the line's
// full-width comma stays one.
TEST(SignReading, middleDotsOnAChineseLine_AreReadAsDots_ItsCommasAsCommas)
{
    QFont font = QGuiApplication::font();
    const QString line = QString::fromUtf8("张伟 · 3 小时前 · 12 条回复，欢迎讨论。");
    for (const QChar c : line)
        if (!QFontMetrics(font).inFont(c)) GTEST_SKIP() << "this machine's face lacks " << QString(c).toStdString();
    for (const int size : {14, 16, 20}) {
        QImage image(600, 70, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            font.setPixelSize(size);
            painter.setFont(font);
            painter.setPen(QColor(60, 60, 60));
            painter.drawText(QPointF(20, 40), line);
        }
        const OcrOutcome read = OCRService::recognizeBlocks(image, false).result();
        ASSERT_TRUE(read.ok) << qPrintable(read.error);
        QString text;
        for (const TextBlock& block : read.blocks) text += block.text + QLatin1Char('\n');
        SCOPED_TRACE(qPrintable(text));
        EXPECT_TRUE(text.contains(QString::fromUtf8("张伟 · 3"))) << size << " px";
        EXPECT_TRUE(text.contains(QString::fromUtf8("回复，"))) << size << " px";
    }
}
