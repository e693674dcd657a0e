// The translated picture keeps the look of the text it replaces: a
// terminal's line is drawn in a monospaced face, and lines of one style get
// one size, a long translation running on into the empty room beside its line
// instead of shrinking.
#include "TextPictures.h"
#include "recognition/ImageRenderer.h"

#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QFontInfo>

#include <set>

using namespace klipo;
namespace IR = klipo::ImageRenderer;

namespace {

IR::RenderBlock oneLine(const QString& translated, qreal x, qreal y, qreal width, qreal height, bool monospaced = false,
                        const QString& source = QStringLiteral("Typing"))
{
    TextLine line = test::modelLine(source, x, y, width, height);
    line.monospaced = monospaced;
    return {{line}, translated};
}

// Columns of the picture (top-left origin) holding dark ink between rows y0 and y1.
int rightmostInk(const QImage& image, int y0, int y1)
{
    for (int x = image.width() - 1; x >= 0; --x)
        for (int y = y0; y < y1; ++y)
            if (qGray(image.pixel(x, y)) < 128) return x;
    return -1;
}

}  // namespace

TEST(ImageRenderer, aTranslatedMonospacedLine_IsDrawnInAMonospacedFace)
{
    if (!QFontInfo(QFontDatabase::systemFont(QFontDatabase::FixedFont)).fixedPitch())
        GTEST_SKIP() << "no monospaced font on this machine";
    const QString text = QStringLiteral("iiiiMMMM");
    for (const bool monospaced : {true, false}) {
        const auto laid = IR::layoutPicture(QImage(), {oneLine(text, 10, 10, 300, 20, monospaced)});
        ASSERT_EQ(laid.size(), 1u);
        ASSERT_EQ(laid[0].size(), 1u);
        EXPECT_EQ(laid[0][0].monospaced, monospaced);
        const IR::PlacedFragment placed = IR::placeFragment(laid[0][0]);
        ASSERT_EQ(placed.lines.size(), 1u);
        const std::vector<qreal>& edges = placed.lines[0].edges;
        const qreal narrow = edges[1] - edges[0];
        const qreal wide = edges[8] - edges[7];
        if (monospaced)
            EXPECT_NEAR(narrow, wide, 0.05 * wide) << "an i as wide as an M";
        else
            EXPECT_LT(narrow, 0.7 * wide);
    }
}

TEST(ImageRenderer, linesOfOneStyle_GetOneSize_ALongTranslationRunsOnIntoTheEmptyRoomBesideIt)
{
    QImage base(900, 400, QImage::Format_RGB32);
    base.fill(Qt::white);
    // A heading and a list of four items of one style, each source line 160
    // pixels wide; the fourth item's translation is far longer than its line.
    // Boxes are tight around the ink: a line without capitals or descenders
    // is half as high as one with both.
    const std::vector<IR::RenderBlock> blocks = {
        oneLine(QStringLiteral("Settings for the new reading list of this week"), 20, 330, 200, 36, false,
                QStringLiteral("Ajustes de la lista")),
        oneLine(QStringLiteral("Open"), 40, 270, 160, 17, false, QStringLiteral("Abrir")),
        oneLine(QStringLiteral("Save the page"), 40, 240, 160, 20, false, QStringLiteral("Guardar la página")),
        oneLine(QStringLiteral("Go"), 40, 212, 160, 10, false, QStringLiteral("ir a un sensor")),
        oneLine(QStringLiteral("Share the page with everybody in the team"), 40, 180, 160, 20, false,
                QStringLiteral("Compartir la página")),
    };
    const auto laid = IR::layoutPicture(base, blocks);
    ASSERT_EQ(laid.size(), blocks.size());
    for (const auto& fragments : laid) ASSERT_EQ(fragments.size(), 1u);
    const qreal itemSize = laid[1][0].fontSize;
    EXPECT_GT(itemSize, 12);
    for (size_t i = 2; i < 5; ++i) EXPECT_NEAR(laid[i][0].fontSize, itemSize, 0.01) << "item " << i;
    EXPECT_GT(laid[0][0].fontSize, itemSize) << "the heading is not drawn smaller than the list";

    // The long item is drawn whole, on into the room right of its line.
    const QImage drawn = IR::render(base, blocks, 1);
    const int y = 400 - 200;
    EXPECT_GT(rightmostInk(drawn, y, y + 20), 40 + 160 + 20);
    EXPECT_GT(laid[4][0].rect.right(), 200);

    // With something in the way the room ends before it.
    QImage busy = base;
    for (int x = 300; x < 320; ++x)
        for (int row = y; row < y + 20; ++row) busy.setPixel(x, row, qRgb(0, 0, 0));
    const auto blocked = IR::layoutPicture(busy, blocks);
    EXPECT_LT(blocked[4][0].rect.right(), 300);
}

TEST(ImageRenderer, aMenusItemsAndKeys_AsRead_AreOneStyle)
{
    // A menu set at 15 pixels as the engine reads it: boxes a pixel or two
    // apart with the letters they hold, a key's "l" taken for an "i".
    const std::vector<std::pair<QString, qreal>> read = {
        {QStringLiteral("Abrir el archivo"), 14},  {QStringLiteral("Ctri+A"), 14},
        {QStringLiteral("Exportar como PDF"), 16}, {QStringLiteral("Imprimir esta página"), 17},
        {QStringLiteral("Cerrar la ventana"), 14}, {QStringLiteral("Salir del programa"), 16}};
    std::vector<IR::RenderBlock> blocks;
    for (size_t i = 0; i < read.size(); ++i)
        blocks.push_back(oneLine(QStringLiteral("Translated"), 40, 300 - 30 * qreal(i), 160, read[i].second, false,
                                 read[i].first));
    std::set<qreal> sizes;
    for (const auto& fragments : IR::layoutPicture(QImage(), blocks)) sizes.insert(fragments.at(0).fontSize);
    EXPECT_EQ(sizes.size(), 1u);
}

// The translated picture is stored in the history as PNG: an opaque capture
// gives an opaque picture (no alpha channel to store), with the same pixels a
// translucent canvas would have; a translucent capture keeps its alpha.
TEST(ImageRenderer, anOpaqueCapturesTranslation_IsOpaque_ATranslucentOneKeepsItsAlpha)
{
    QImage opaque(400, 120, QImage::Format_RGB32);
    opaque.fill(QColor(250, 250, 245));
    const std::vector<IR::RenderBlock> blocks = {oneLine(QStringLiteral("The cat sleeps"), 20, 60, 200, 24)};
    const QImage drawn = IR::render(opaque, blocks, 2);
    EXPECT_FALSE(drawn.hasAlphaChannel());
    EXPECT_EQ(drawn.devicePixelRatio(), 2);
    const QImage onTranslucent = IR::render(opaque.convertToFormat(QImage::Format_ARGB32), blocks, 2);
    EXPECT_TRUE(onTranslucent.hasAlphaChannel());
    EXPECT_TRUE(drawn.convertToFormat(QImage::Format_RGB32) == onTranslucent.convertToFormat(QImage::Format_RGB32));
    EXPECT_GE(rightmostInk(drawn, 0, 120), 20);
}
