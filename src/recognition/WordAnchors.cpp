#include "recognition/OCRService.h"

#include "platform/text/TextRecognizer.h"
#include "recognition/TextUnits.h"

namespace klipo::OCRService {

std::vector<std::pair<int, int>> wordRuns(const QString& text)
{
    std::vector<std::pair<int, int>> runs;
    const std::vector<QString> chars = graphemes(text);
    int open = -1;
    for (int i = 0; i < int(chars.size()); ++i) {
        const QString& ch = chars[size_t(i)];
        if (ch.at(0).isSpace()) {
            if (open >= 0) runs.emplace_back(open, i);
            open = -1;
        } else if (open < 0) {
            open = i;
        } else if (isIdeographic(firstScalar(ch)) && i - open > 3) {
            runs.emplace_back(open, i);
            open = i;
        }
    }
    if (open >= 0) runs.emplace_back(open, int(chars.size()));
    return runs;
}

std::optional<std::vector<TextAnchor>> computeAnchors(const platform::RecognizedLine& line, int width, int height)
{
    const std::vector<int> bounds = graphemeBoundaries(line.text);
    const QRectF image(0, 0, width, height);
    std::vector<TextAnchor> anchors;
    for (const auto& [s, e] : wordRuns(line.text)) {
        const int from = bounds[size_t(s)];
        const int to = bounds[size_t(e)];
        QRect box;
        for (const platform::RecognizedSymbol& symbol : line.symbols) {
            if (symbol.end > from && symbol.start < to) box = box.united(symbol.box);
        }
        if (box.isEmpty()) continue;
        const QRectF rect = flipped(QRectF(box), height).intersected(image);
        if (rect.width() > 0.5) anchors.push_back({s, e, rect});
    }
    if (anchors.empty()) return std::nullopt;
    return anchors;
}

}  // namespace klipo::OCRService
