// The selectable text on a picture: positions, word, line and range
// selection, the joined copy text, reading order, recognised lines with word
// boxes, and translations laid exactly where the renderer drew them. Widths
// come from a pinned font (DejaVu Sans, WenQuanYi Micro Hei for CJK).
#include "overlay/SelTextLayer.h"
#include "overlay/SelTextSelecting.h"
#include "recognition/ImageRenderer.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <QColor>

#include <algorithm>

using namespace klipo;

namespace {

QFont pinnedFont()
{
    QFont font;
    font.setFamilies({"DejaVu Sans", "WenQuanYi Micro Hei"});
    font.setPointSizeF(16);
    return font;
}

// An item of one recognised line, its characters spread over the rect.
SelTextItem line(const QString& text, const QRectF& rect, int block)
{
    return SelTextItem::make(text, rect, pinnedFont(), std::nullopt, true, std::nullopt, block);
}

// Three rows of text 20 px high, 10 px apart: two items of block 0, then one of block 1.
SelTextLayer threeRows()
{
    return SelTextLayer({line(QStringLiteral("the inter-"), QRectF(10, 100, 200, 20), 0),
                         line(QStringLiteral("national 中文"), QRectF(10, 70, 240, 20), 0),
                         line(QStringLiteral("abc123, end"), QRectF(10, 40, 220, 20), 1)});
}

}  // namespace

TEST(SelTextLayer, selectsTheSameTextBackwardsAsForwards_AndJoinsAcrossItems)
{
    SelTextLayer layer = threeRows();
    layer.setAnchor(SelTextPosition{0, 4});
    layer.setFocus(SelTextPosition{2, 6});
    const QString forward = layer.selectedText();
    const auto forwardRects = layer.selectionRects();
    layer.setAnchor(SelTextPosition{2, 6});
    layer.setFocus(SelTextPosition{0, 4});
    EXPECT_EQ(layer.selectedText(), forward);
    EXPECT_EQ(layer.selectionRects(), forwardRects);
    // Hyphen dropped within the block, the next block on a new line.
    EXPECT_EQ(forward, QStringLiteral("international 中文\nabc123"));
    ASSERT_EQ(forwardRects.size(), 3u);
    EXPECT_EQ(forwardRects[1].left(), 10);  // a middle line from its first edge ...
    EXPECT_NEAR(forwardRects[1].right(), 250, 1e-6);  // ... to its last

    layer.setAnchor(SelTextPosition{0, 4});  // anchor equals focus: a caret
    layer.setFocus(SelTextPosition{0, 4});
    EXPECT_EQ(layer.selectedText(), QString());
    EXPECT_TRUE(layer.selectionRects().empty());

    // Chinese pieces of one block join directly; Latin ones with one space;
    // an item of no block always starts a new line.
    SelTextLayer cjk({line(QStringLiteral("中文"), QRectF(0, 50, 40, 20), 3), line(QStringLiteral("文字"), QRectF(0, 20, 40, 20), 3),
                      line(QStringLiteral("a"), QRectF(0, 0, 10, 10), 3), line(QStringLiteral("c"), QRectF(0, -20, 10, 10), 3),
                      line(QStringLiteral("b"), QRectF(0, -40, 10, 10), -1)});
    EXPECT_EQ(cjk.allText(), QStringLiteral("中文文字a c\nb"));

    SelTextLayer empty;
    EXPECT_FALSE(empty.position({5, 5}));
    empty.selectAll();
    EXPECT_FALSE(empty.hasSelection());
    EXPECT_EQ(empty.allText(), QString());
    // The copy message counts what a reader sees as characters.
    EXPECT_EQ(SelTextSelecting::copiedMessage(QStringLiteral("e\u0301a")), QStringLiteral("已复制 2 个字符"));
}

TEST(SelTextLayer, findsTheNearestPosition_AboveBelowBesideAndBetweenRows)
{
    SelTextLayer layer = threeRows();
    EXPECT_EQ(layer.position({100, 500}), (SelTextPosition{0, 0}));    // above everything
    EXPECT_EQ(layer.position({100, -50}), (SelTextPosition{2, 11}));   // below everything: the end
    EXPECT_EQ(layer.position({900, 110}), (SelTextPosition{0, 10}));   // right of a row: after its last character
    EXPECT_EQ(layer.position({-30, 48})->character, 0);               // left of a row: before its first
    EXPECT_EQ(layer.position({100, 63})->line, 2);                     // between rows: the nearer edge (60 vs 70)
    EXPECT_EQ(layer.position({100, 67})->line, 1);

    // A click on the right half of a character lands after it.
    const SelTextItem& first = layer.items()[0];
    const qreal t = first.charEdges[0], h = first.charEdges[1];
    EXPECT_EQ(first.charIndex(t + (h - t) * 0.4), 0);
    EXPECT_EQ(first.charIndex(t + (h - t) * 0.6), 1);
}

TEST(SelTextLayer, doubleClickSelectsAWordOrOneMark_TripleClickTheLine)
{
    SelTextLayer layer = threeRows();
    const SelTextItem& last = layer.items()[2];  // "abc123, end"
    auto middleOf = [&](int i) { return QPointF((last.charEdges[size_t(i)] + last.charEdges[size_t(i + 1)]) / 2, 50); };
    layer.selectWord(middleOf(1));
    EXPECT_EQ(layer.selectedText(), QStringLiteral("abc123"));
    layer.selectWord(middleOf(6));
    EXPECT_EQ(layer.selectedText(), QStringLiteral(","));
    layer.selectWord(middleOf(7));
    EXPECT_EQ(layer.selectedText(), QStringLiteral(" "));
    const SelTextItem& second = layer.items()[1];  // "national 中文"
    layer.selectWord(QPointF((second.charEdges[10] + second.charEdges[11]) / 2, 80));
    EXPECT_EQ(layer.selectedText(), QStringLiteral("中文"));
    layer.selectLine(QPointF(100, 110));
    EXPECT_EQ(layer.selectedText(), QStringLiteral("the inter-"));
    EXPECT_EQ(layer.selectionRects(), std::vector<QRectF>{QRectF(10, 100, 200, 20)});
}

TEST(SelTextLayer, readingOrder_GroupsAChainOfOverlappingItemsTheSameWay_WhateverTheirInputOrder)
{
    // Each item overlaps the next by 60 % of its height, the first and third
    // hardly at all: a comparison of pairs is not transitive here.
    const std::vector<SelTextItem> chain{line("a", QRectF(300, 100, 40, 20), 0), line("b", QRectF(200, 92, 40, 20), 0),
                                         line("c", QRectF(100, 84, 40, 20), 0), line("d", QRectF(0, 76, 40, 20), 0),
                                         line("e", QRectF(50, 20, 40, 20), 0)};
    std::vector<int> order{0, 1, 2, 3, 4};
    QString expected;
    do {
        std::vector<SelTextItem> shuffled;
        for (int i : order) shuffled.push_back(chain[size_t(i)]);
        QString read;
        for (const SelTextItem& item : SelTextLayer::sortedByReadingOrder(shuffled)) read += item.text;
        if (expected.isEmpty()) expected = read;
        ASSERT_EQ(read, expected);
    } while (std::next_permutation(order.begin(), order.end()));
    EXPECT_EQ(expected, QStringLiteral("dcbae"));  // one row left to right, then the line below
}

TEST(SelTextLayer, wordBoxesPlaceTheirWords_TheRestOfTheLineIsSpreadNotCollapsed)
{
    // Boxes for the first two words only; the third word lies beyond them.
    const QString text = QStringLiteral("alpha beta gamma");
    const std::vector<TextAnchor> anchors{{0, 5, QRectF(10, 12, 60, 16)}, {6, 10, QRectF(80, 12, 50, 16)}};
    const SelTextItem item = SelTextItem::makeAnchored(text, QRectF(10, 10, 200, 20), anchors, pinnedFont(), 0);
    EXPECT_EQ(item.charEdges[0], 10);
    EXPECT_EQ(item.charEdges[5], 70);
    EXPECT_EQ(item.charEdges[6], 80);  // the space spans the gap
    EXPECT_EQ(item.charEdges[10], 130);
    EXPECT_EQ(item.charEdges[16], 210);
    for (int i = 11; i <= 16; ++i) EXPECT_GT(item.charEdges[size_t(i)], item.charEdges[size_t(i - 1)]) << i;

    SelTextLayer layer({item});
    layer.selectWord(QPointF(185, 20));
    EXPECT_EQ(layer.selectedText(), QStringLiteral("gamma"));
    EXPECT_EQ(item.charIndex(205), 16);
    EXPECT_NEAR(item.bandMinY, 12 - 16 * 0.12, 1e-9);  // the boxes, padded, inside the line

    // Boxes thinner than 40 % of the line: the band is the whole line.
    const SelTextItem thin =
        SelTextItem::makeAnchored(text, QRectF(10, 10, 200, 20), {{0, 5, QRectF(10, 15, 60, 5)}}, pinnedFont(), 0);
    EXPECT_EQ(thin.bandMinY, 10);
    EXPECT_EQ(thin.bandMaxY, 30);
}

TEST(SelTextLayer, translatedCharactersSitOnTheInkTheRendererDrew)
{
    // A paragraph of three lines (one wrapping fragment), one line too narrow
    // for its text (cut short), and a Chinese translation split over two lines.
    const auto modelLine = [](qreal x, qreal y, qreal w, qreal h) { return TextLine{QStringLiteral("x"), QRectF(x, y, w, h), {}}; };
    const std::vector<ImageRenderer::RenderBlock> blocks{
        {{modelLine(20, 330, 420, 26), modelLine(20, 300, 420, 26), modelLine(20, 270, 300, 26)},
         QStringLiteral("The cat sleeps in the big house while it rains over the quiet old city")},
        {{modelLine(20, 200, 60, 30)}, QStringLiteral("My brother works in the city")},
        {{modelLine(20, 120, 300, 30), modelLine(20, 80, 200, 30)}, QStringLiteral("我的哥哥在城市里工作很多年了")},
    };
    QImage base(480, 400, QImage::Format_RGB32);
    base.fill(Qt::white);
    // Something right of the narrow line leaves it no room to run on into.
    QPainter(&base).fillRect(QRect(86, 400 - 230, 10, 30), Qt::black);
    const QImage drawn = ImageRenderer::render(base, blocks, 1);
    const SelTextLayer layer = SelTextLayer::fromTranslation(blocks, base);

    auto inkBetween = [&](qreal x0, qreal x1, const SelTextItem& item) {
        int ink = 0;
        for (int x = int(std::ceil(x0)); x < int(std::floor(x1)); ++x)
            for (int y = int(400 - item.bandMaxY); y < int(400 - item.bandMinY); ++y)
                ink += qGray(drawn.pixel(x, y)) < 128;
        return ink;
    };
    int blocksSeen[3] = {0, 0, 0};
    for (const SelTextItem& item : layer.items()) {
        ++blocksSeen[item.blockID];
        for (int i = 0; i < item.charCount(); ++i) {
            const qreal x0 = item.charEdges[size_t(i)], x1 = std::min(item.charEdges[size_t(i + 1)], item.clipMaxX);
            if (x1 - x0 < 3 || item.chars[size_t(i)].trimmed().isEmpty()) continue;
            EXPECT_GT(inkBetween(x0, x1, item), 0) << qPrintable(item.text) << " at " << i;
        }
        // Nothing is drawn right of the last character.
        EXPECT_EQ(inkBetween(std::min(item.charEdges.back(), item.clipMaxX) + 1, item.clipMaxX, item), 0)
            << qPrintable(item.text);
    }
    EXPECT_GE(blocksSeen[0], 2);  // wrapped over several items of one block ...
    EXPECT_EQ(blocksSeen[1], 1);
    EXPECT_EQ(blocksSeen[2], 2);
    // ... joined back with single spaces (the wrap points' spaces belong to no
    // item); the line cut short still copies whole, but its highlight stops at its edge.
    SelTextLayer copy = layer;
    copy.selectAll();
    EXPECT_EQ(copy.selectedText(), blocks[0].translated + '\n' + blocks[1].translated + '\n' + blocks[2].translated);
    EXPECT_LE(copy.selectionRects()[size_t(blocksSeen[0])].right(), 80 + 1e-9);
}
