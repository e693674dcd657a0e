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

// The engine reads a search field's magnifier as a letter before the
// field's text ("Q Search"): it is no letter of the line. A real "Q" keeps
// its place, in each face and size.
TEST(SignReading, aSearchFieldsMagnifierIsNoLetter_ARealQStays)
{
    const QString search = QString::fromUtf8("搜索文件");
    QFont han(QStringLiteral("WenQuanYi Micro Hei"));
    for (const QChar c : search)
        if (!QFontMetrics(han).inFont(c)) GTEST_SKIP() << "this machine's face lacks " << QString(c).toStdString();
    const QStringList families = {QStringLiteral("DejaVu Sans"), QStringLiteral("DejaVu Serif"),
                                  QStringLiteral("DejaVu Sans Mono"), han.family()};
    for (const int size : {14, 16, 22}) {
        SCOPED_TRACE(size);
        QImage image(560, 90 + 40 * int(families.size()), QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            // Two search fields: an icon as tall as the line, a ring and a handle to its lower right.
            const auto field = [&](int y, const QString& text) {
                const qreal w = QFontMetricsF(han).height() + 2;
                painter.setPen(QColor(190, 190, 190));
                painter.drawRoundedRect(QRectF(20, y, 240, w + 10), 4, 4);
                const QPointF c(25 + w / 2, y + 5 + w / 2);
                painter.setPen(QPen(QColor(120, 120, 120), std::max(1.0, w / 10), Qt::SolidLine, Qt::RoundCap));
                painter.drawEllipse(c - QPointF(w * 0.08, w * 0.08), w * 0.22, w * 0.22);
                painter.drawLine(c + QPointF(w * 0.08, w * 0.08), c + QPointF(w * 0.32, w * 0.32));
                painter.setPen(QColor(90, 90, 90));
                painter.drawText(QRectF(25 + w + 4, y, 200, w + 10), Qt::AlignVCenter, text);
            };
            han.setPixelSize(size);
            painter.setFont(han);
            field(10, search);
            field(50, QStringLiteral("Search files"));
            for (int i = 0; i < int(families.size()); ++i) {
                QFont font(families[i]);
                font.setPixelSize(size);
                font.setBold(i == 0 && size == 16);
                painter.setFont(font);
                painter.setPen(QColor(40, 40, 40));
                painter.drawText(QPointF(20, 120 + 40 * i), QStringLiteral("Quit now, Q&A Queue"));
            }
        }
        const OcrOutcome read = OCRService::recognizeBlocks(image, false).result();
        ASSERT_TRUE(read.ok) << qPrintable(read.error);
        QString text;
        for (const TextBlock& block : read.blocks) text += block.text + QLatin1Char('\n');
        SCOPED_TRACE(qPrintable(text));
        const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        EXPECT_TRUE(lines.contains(search));
        EXPECT_TRUE(lines.contains(QStringLiteral("Search files")));
        EXPECT_EQ(text.count(QStringLiteral("Quit now, Q&A Queue")), families.size());
    }
}
