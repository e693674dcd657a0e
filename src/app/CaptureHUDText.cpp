#include "app/CaptureHUDText.h"

#include <QFontMetricsF>
#include <QList>
#include <QRegularExpression>
#include <QTextLayout>

#include <algorithm>

namespace klipo::CaptureHUDText {

namespace {

// Whatever is left of a path is worth reading only with about this many characters.
constexpr double kLeastPathCharacters = 12;

struct Piece {
    QString text;
    bool path = false;
};

// The text cut into words and the paths among them.
QList<Piece> piecesOf(const QString& text)
{
    static const QRegularExpression pathPattern(QStringLiteral("(?<![^\\s「『（(“：:])~?/[^\\s」』）)”，,。；;：、]+"));
    QList<Piece> pieces;
    qsizetype at = 0;
    for (auto it = pathPattern.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        if (match.capturedStart() > at) pieces.append({text.mid(at, match.capturedStart() - at), false});
        pieces.append({match.captured(), true});
        at = match.capturedEnd();
    }
    if (at < text.size()) pieces.append({text.mid(at), false});
    return pieces;
}

// The pieces joined again, every path no wider than `pathWidth`.
QString joined(const QList<Piece>& pieces, const QFontMetricsF& metrics, double pathWidth)
{
    QString text;
    for (const Piece& piece : pieces)
        text += piece.path && metrics.horizontalAdvance(piece.text) > pathWidth
                    ? metrics.elidedText(piece.text, Qt::ElideMiddle, pathWidth)
                    : piece.text;
    return text;
}

// The widest a path may stay so that all of them share `room`, the shorter
// ones whole (their leftover goes to the longer ones).
double pathShare(QList<double> widths, double room)
{
    std::sort(widths.begin(), widths.end());
    for (qsizetype i = 0; i < widths.size(); ++i) {
        const double share = room / double(widths.size() - i);
        if (widths[i] > share) return share;
        room -= widths[i];
    }
    return room + (widths.isEmpty() ? 0 : widths.last());
}

}  // namespace

QStringList lines(const QString& text, const QFont& font, double width, bool wraps)
{
    const QFontMetricsF metrics(font);
    if (text.isEmpty()) return {text};
    const QList<Piece> pieces = piecesOf(text);
    if (wraps) return wrapped(joined(pieces, metrics, width), font, width);
    if (metrics.horizontalAdvance(text) <= width) return {text};
    QList<double> pathWidths;
    double words = 0;
    double least = 0;
    for (const Piece& piece : pieces) {
        const double advance = metrics.horizontalAdvance(piece.text);
        if (!piece.path) {
            words += advance;
            continue;
        }
        pathWidths.append(advance);
        least += std::min(advance, kLeastPathCharacters * metrics.averageCharWidth());
    }
    if (pathWidths.isEmpty()) return {metrics.elidedText(text, Qt::ElideMiddle, width)};
    const double room = width - words - 1;  // a pixel spare for the joins
    if (room >= least) {
        const QString line = joined(pieces, metrics, pathShare(pathWidths, room));
        if (metrics.horizontalAdvance(line) <= width) return {line};
    }
    return wrapped(joined(pieces, metrics, width), font, width);
}

QStringList wrapped(const QString& text, const QFont& font, double width)
{
    QStringList lines;
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lines << text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return lines;
}

}  // namespace klipo::CaptureHUDText
