// The two ways a text layer is made: from the recognised lines of the
// selection, and from the translations as the renderer drew them.
#include "overlay/SelTextLayer.h"

#include "recognition/TextUnits.h"

#include <QGuiApplication>

#include <algorithm>

namespace klipo {

QFont SelTextLayer::ocrFont()
{
    QFont font = QGuiApplication::font();
    font.setFamilies({font.family(), QStringLiteral("WenQuanYi Micro Hei")});
    font.setWeight(QFont::Normal);
    return font;
}

SelTextLayer SelTextLayer::fromOCR(const std::vector<TextBlock>& blocks, const QFont& font)
{
    std::vector<SelTextItem> items;
    for (int b = 0; b < int(blocks.size()); ++b) {
        for (const TextLine& line : blocks[size_t(b)].lines) {
            if (line.text.isEmpty() || line.rect.width() <= 1 || line.rect.height() <= 1) continue;
            QFont sized = font;
            sized.setPointSizeF(std::max<qreal>(1, line.rect.height() * 0.82));
            if (line.anchors && !line.anchors->empty())
                items.push_back(SelTextItem::makeAnchored(line.text, line.rect, *line.anchors, sized, b));
            else
                items.push_back(SelTextItem::make(line.text, line.rect, sized, std::nullopt, true, std::nullopt, b));
        }
    }
    return SelTextLayer(sortedByReadingOrder(std::move(items)));
}

SelTextLayer SelTextLayer::fromTranslation(const std::vector<ImageRenderer::RenderBlock>& blocks, const QImage& base)
{
    std::vector<SelTextItem> items;
    const std::vector<std::vector<ImageRenderer::LayoutFragment>> laid = ImageRenderer::layoutPicture(base, blocks);
    for (int b = 0; b < int(blocks.size()); ++b) {
        for (const ImageRenderer::LayoutFragment& fragment : laid[size_t(b)]) {
            const ImageRenderer::PlacedFragment placed = ImageRenderer::placeFragment(fragment);
            for (const ImageRenderer::PlacedLine& line : placed.lines) {
                SelTextItem item;
                item.text = line.text;
                item.chars = graphemes(line.text);
                item.rect = line.rect;
                item.charEdges = line.edges;
                for (size_t i = 1; i < item.charEdges.size(); ++i)
                    item.charEdges[i] = std::max(item.charEdges[i], item.charEdges[i - 1]);
                item.clipMaxX = placed.clipMaxX;
                item.blockID = b;
                item.bandMinY = line.rect.top();
                item.bandMaxY = line.rect.bottom();
                items.push_back(std::move(item));
            }
        }
    }
    return SelTextLayer(sortedByReadingOrder(std::move(items)));
}

}  // namespace klipo
