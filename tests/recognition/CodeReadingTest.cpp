// Code is read as it is written: no spaces where the picture has none.
#include "recognition/OCRService.h"

#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QFontInfo>
#include <QPainter>

using namespace klipo;

TEST(CodeReading, scopesInAMonospacedFace_AreReadWithoutASpaceBetweenTheColons)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (!QFontInfo(font).fixedPitch()) GTEST_SKIP() << "no monospaced font on this machine";
    const QStringList lines = {QStringLiteral("let handle = tokio::spawn(async move {"),
                               QStringLiteral("    tokio::spawn(worker(rx));"),
                               QStringLiteral("std::vector<int> v; v.push_back(1);")};
    for (const int size : {13, 20}) {
        QImage image(900, 40 * int(lines.size()) + 20, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            font.setPixelSize(size);
            painter.setFont(font);
            painter.setPen(Qt::black);
            for (int i = 0; i < int(lines.size()); ++i) painter.drawText(QPointF(20, 30 + 40 * i), lines[i]);
        }
        const OcrOutcome read = OCRService::recognizeBlocks(image, false).result();
        ASSERT_TRUE(read.ok) << qPrintable(read.error);
        QString text;
        for (const TextBlock& block : read.blocks) text += block.text + QLatin1Char('\n');
        SCOPED_TRACE(qPrintable(text));
        EXPECT_FALSE(text.contains(QLatin1String(": :"))) << size << " px";
        EXPECT_GE(text.count(QLatin1String("::spawn(")), 2) << size << " px";
    }
}
