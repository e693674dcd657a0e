#include "stores/TextLines.h"

#include <QList>
#include <QStringView>
#include <QTextBoundaryFinder>

namespace klipo::textlines {

namespace {

// The horizontal white space of a line: space separators and the tab.
bool isHorizontalSpace(QChar c) { return c == u'\t' || c.category() == QChar::Separator_Space; }

QStringView trimmedHorizontally(QStringView piece)
{
    qsizetype begin = 0;
    qsizetype end = piece.size();
    while (begin < end && isHorizontalSpace(piece.at(begin))) ++begin;
    while (end > begin && isHorizontalSpace(piece.at(end - 1))) --end;
    return piece.mid(begin, end - begin);
}

}  // namespace

std::optional<QString> firstLine(const QString& text)
{
    for (QStringView piece : QStringView(text).split(u'\n', Qt::SkipEmptyParts)) {
        const QStringView trimmed = trimmedHorizontally(piece);
        if (!trimmed.isEmpty()) return trimmed.toString();
    }
    return std::nullopt;
}

QString truncated(const QString& line, int maxCharacters)
{
    // Fewer UTF-16 units than the limit means fewer characters too.
    if (line.size() <= maxCharacters) return line;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, line);
    int characters = 0;
    qsizetype cut = -1;
    while (finder.toNextBoundary() != -1) {
        ++characters;
        if (characters == maxCharacters) cut = finder.position();
        if (characters > maxCharacters) return line.left(cut) + QStringLiteral("…");
    }
    return line;
}

}  // namespace klipo::textlines
