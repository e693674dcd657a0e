#include "TextPictures.h"
#include "platform/text/PageBands.h"

#include <gtest/gtest.h>

using namespace klipo::platform;
using klipo::test::drawPicture;

namespace {

QImage gray(const QImage& image) { return image.convertToFormat(QImage::Format_Grayscale8); }

const QString kLatin = QStringLiteral("quickly typing lowercase words with few capitals");
const QString kHan = QStringLiteral("文字识别在后台线程中运行因此界面始终能够响应");

}  // namespace

TEST(PageBands, findsRows_AndTellsLatinFromSquareScripts)
{
    const QImage latin = gray(drawPicture(QSize(800, 100), {{kLatin, QPoint(20, 20), 20}, {kLatin, QPoint(20, 60), 20}}));
    const auto rows = findTextRows(latin);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].script, BandScript::Latin);
    EXPECT_LT(rows[0].bottom, rows[1].top);

    const QImage han = gray(drawPicture(QSize(800, 60), {{kHan, QPoint(20, 20), 22}}, {Qt::white, Qt::black, true}));
    ASSERT_EQ(findTextRows(han).size(), 1u);
    EXPECT_EQ(findTextRows(han)[0].script, BandScript::Han);
}

TEST(PageBands, ignoresWindowBorders_WhenLookingForEmptyRows)
{
    QImage image = drawPicture(QSize(800, 120), {{kLatin, QPoint(40, 20), 20}, {kLatin, QPoint(40, 70), 20}});
    for (int y = 0; y < image.height(); ++y) image.setPixelColor(10, y, Qt::black);  // a border down the side
    EXPECT_EQ(findTextRows(gray(image)).size(), 2u);
}

TEST(PageBands, invertsDarkBands_UpscalesSmallText_AndSplitsColumns)
{
    const QImage dark = gray(drawPicture(QSize(800, 60), {{kLatin, QPoint(20, 20), 20}},
                                         {QColor(30, 30, 30), QColor(220, 220, 220), false}));
    const auto darkBands = planBands(dark, 100);
    ASSERT_EQ(darkBands.size(), 1u);
    EXPECT_TRUE(darkBands[0].dark);
    EXPECT_EQ(darkBands[0].scale, 1);

    const QImage small = gray(drawPicture(QSize(800, 40), {{kHan, QPoint(20, 10), 12}}, {Qt::white, Qt::black, true}));
    EXPECT_EQ(planBands(small, 100).at(0).scale, 2);

    const QImage columns = gray(drawPicture(
        QSize(1000, 60), {{QStringLiteral("左边一栏的文字"), QPoint(20, 20), 20}, {QStringLiteral("右边一栏的文字"), QPoint(600, 20), 20}},
        {Qt::white, Qt::black, true}));
    const auto bands = planBands(columns, 100);
    ASSERT_EQ(bands.size(), 1u);
    EXPECT_TRUE(bands[0].columns);
    ASSERT_EQ(bands[0].rows.size(), 2u);
    EXPECT_LT(bands[0].rows[0].right(), 600);
    EXPECT_GE(bands[0].rows[1].left(), 600);
}

TEST(PageBands, cutsTallPagesIntoBandsOfWholeRows)
{
    std::vector<klipo::test::DrawnLine> lines;
    for (int i = 0; i < 20; ++i) lines.push_back({kLatin, QPoint(20, 10 + 30 * i), 18});
    const QImage page = gray(drawPicture(QSize(800, 620), lines));
    const auto rows = findTextRows(page);
    const auto bands = planBands(page, 100);
    EXPECT_GT(bands.size(), 4u);
    size_t inBands = 0;
    for (const TextBand& band : bands) {
        inBands += band.rows.size();
        for (const QRect& row : band.rows) EXPECT_TRUE(band.rect.contains(row));
    }
    EXPECT_EQ(inBands, rows.size());
}
