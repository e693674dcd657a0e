#include "recognition/TextUnits.h"

#include <QTextBoundaryFinder>

namespace klipo {

std::vector<int> graphemeBoundaries(const QString& text)
{
    std::vector<int> bounds{0};
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    for (qsizetype p = finder.toNextBoundary(); p > 0; p = finder.toNextBoundary()) bounds.push_back(int(p));
    if (bounds.back() != text.size()) bounds.push_back(int(text.size()));
    return bounds;
}

std::vector<QString> graphemes(const QString& text)
{
    const std::vector<int> b = graphemeBoundaries(text);
    std::vector<QString> out;
    for (size_t i = 0; i + 1 < b.size(); ++i) out.push_back(text.mid(b[i], b[i + 1] - b[i]));
    return out;
}

bool isIdeographic(char32_t c)
{
    return c == 0x3006 || c == 0x3007 || (c >= 0x3021 && c <= 0x3029) || (c >= 0x3038 && c <= 0x303A) ||
           (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFA6D) ||
           (c >= 0xFA70 && c <= 0xFAD9) || c == 0x16FE4 || (c >= 0x17000 && c <= 0x18CD5) ||
           (c >= 0x1B170 && c <= 0x1B2FB) || (c >= 0x20000 && c <= 0x2FA1D) || (c >= 0x30000 && c <= 0x323AF);
}

char32_t firstScalar(const QString& text)
{
    if (text.isEmpty()) return 0;
    const QChar first = text.at(0);
    if (first.isHighSurrogate() && text.size() > 1 && text.at(1).isLowSurrogate())
        return QChar::surrogateToUcs4(first, text.at(1));
    return first.unicode();
}

}  // namespace klipo
