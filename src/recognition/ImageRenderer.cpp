#include "recognition/ImageRenderer.h"

#include "recognition/TextUnits.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <tuple>
#include <utility>

namespace klipo::ImageRenderer {

namespace {

constexpr qreal kMinFontSize = 6;
constexpr qreal kMaxFontSize = 200;
constexpr int kDotsPerMeterAt72Dpi = 2835;  // one point is one pixel

// Text is measured and drawn at 72 dpi, so that font sizes are pixels.
const QImage& measuringDevice()
{
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
        image.setDotsPerMeterX(kDotsPerMeterAt72Dpi);
        image.setDotsPerMeterY(kDotsPerMeterAt72Dpi);
        return image;
    }();
    return device;
}

bool isClosingPunctuation(const QString& ch)
{
    static const QString marks = QStringLiteral("，。！？；：、）”』】");
    return ch.size() == 1 && marks.contains(ch.at(0));
}

QString trimSpacesAndTabs(const QString& text)
{
    auto blank = [](QChar c) { return c == QLatin1Char('\t') || c.category() == QChar::Separator_Space; };
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && blank(text.at(from))) ++from;
    while (to > from && blank(text.at(to - 1))) --to;
    return text.mid(from, to - from);
}

QRectF unionOf(const std::vector<TextLine>& lines)
{
    QRectF all;
    for (const TextLine& l : lines) all = all.isNull() ? l.rect : all.united(l.rect);
    return all;
}

bool allMonospaced(const std::vector<TextLine>& lines)
{
    return !lines.empty() && std::all_of(lines.begin(), lines.end(), [](const TextLine& l) { return l.monospaced; });
}

// Text set in capitals throughout (a badge's "NUEVO", a heading): two cased
// letters or more and no small one.
bool inCapitals(const std::vector<TextLine>& lines)
{
    int capitals = 0;
    for (const TextLine& l : lines) {
        for (QChar c : l.text) {
            if (c.isLower()) return false;
            capitals += c.isUpper();
        }
    }
    return capitals >= 2;
}

// layoutFragments before lines with an empty piece are dropped (the renderer
// still patches those lines). A translation of text set in capitals is drawn
// in capitals: "New" in a pill that held "NUEVO" stood half as tall.
std::vector<LayoutFragment> allFragments(const std::vector<TextLine>& lines, const QString& text)
{
    if (lines.empty() || text.isEmpty()) return {};
    const QString translated = inCapitals(lines) ? text.toUpper() : text;
    int ideographs = 0;
    for (char32_t c : translated.toUcs4()) ideographs += isIdeographic(c);
    const int chars = int(graphemes(translated).size());
    if (lines.size() == 1 || 2 * ideographs < chars)
        return {{unionOf(lines), translated, lines.size() > 1, allMonospaced(lines), 0, unionOf(lines)}};

    std::vector<qreal> widths;
    for (const TextLine& l : lines) widths.push_back(l.rect.width());
    const std::vector<QString> pieces = splitProportionally(translated, widths);
    std::vector<LayoutFragment> fragments;
    for (size_t i = 0; i < lines.size(); ++i)
        fragments.push_back({lines[i].rect, pieces[i], false, lines[i].monospaced, 0, lines[i].rect});
    return fragments;
}

QSizeF measure(const QString& text, qreal size, bool wraps, qreal width, bool monospaced)
{
    const QFont font = fontOfSize(size, monospaced);
    if (!wraps) {
        const QFontMetricsF metrics(font, &measuringDevice());
        return {metrics.horizontalAdvance(text), metrics.height()};
    }
    QTextLayout layout(text, font, &measuringDevice());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    qreal height = 0;
    qreal widest = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(std::max<qreal>(width, 0));
        line.setPosition(QPointF(0, height));
        height += line.height();
        widest = std::max(widest, line.naturalTextWidth());
    }
    layout.endLayout();
    return {widest, height};
}

struct DrawItem {
    QRectF rect;  // bottom-left origin
    QString text;  // empty: a background patch only
    bool wraps = false;
    QColor background;
    QColor textColor;
};

constexpr qreal kUnboundedLineWidth = 0x01000000;

// One line as QPainter::drawText sets a single line: line breaks and tabs
// become spaces, trailing spaces count, nothing wraps.
std::unique_ptr<QTextLayout> oneLineLayout(const QString& text, const QFont& font)
{
    QString flat = text;
    for (QChar& c : flat)
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('\t')) c = QLatin1Char(' ');
    auto layout = std::make_unique<QTextLayout>(flat, font, &measuringDevice());
    QTextOption option;
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    layout->setTextOption(option);
    layout->beginLayout();
    QTextLine line = layout->createLine();
    if (line.isValid()) {
        line.setLineWidth(kUnboundedLineWidth);
        line.setPosition(QPointF(0, 0));
    }
    layout->endLayout();
    return layout;
}

std::unique_ptr<QTextLayout> wrappedLayout(const QString& text, const QFont& font, qreal width)
{
    auto layout = std::make_unique<QTextLayout>(text, font, &measuringDevice());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout->setTextOption(option);
    qreal y = 0;
    layout->beginLayout();
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout->endLayout();
    return layout;
}

// The x of each character boundary of [from, to) of a laid-out line, from the
// layout's origin.
std::vector<qreal> lineEdges(const QTextLine& line, const QString& text, int from, int to)
{
    std::vector<qreal> edges;
    for (int b : graphemeBoundaries(text.mid(from, to - from))) edges.push_back(line.cursorToX(from + b));
    return edges;
}

// A fragment laid out for drawing; every position the text layer uses comes
// from here too. A wrapping fragment is painted from its layout; a one-line
// fragment is painted by drawText, which sets the line from the box's left
// edge exactly as `line` does, and centres it in the box.
struct Laid {
    QFont font;
    QRectF box;                           // the text box, bottom-left origin
    std::unique_ptr<QTextLayout> layout;  // wrapping: what is painted; one line: the whole text
    QString drawnText;                    // one line: what is painted (cut short with an ellipsis when too wide)
};

Laid lay(const LayoutFragment& f)
{
    // The size of the fragment's style when it has one, else the largest that fits.
    auto sized = [&](const QRectF& rect, bool wraps) {
        if (f.fontSize > 0)
            return FittedSize{f.fontSize, measure(f.text, f.fontSize, wraps, rect.width(), f.monospaced)};
        return fittedFontSize(f.text, rect, wraps, f.monospaced);
    };
    Laid laid;
    if (f.wraps) {
        const QRectF inner = f.rect.adjusted(1, 0, -1, 0);
        const FittedSize fit = sized(inner, true);
        laid.font = fontOfSize(fit.fontSize, f.monospaced);
        laid.layout = wrappedLayout(f.text, laid.font, inner.width());
        laid.box = QRectF(inner.x(), inner.center().y() - fit.measured.height() * 0.5, inner.width(),
                          fit.measured.height());
        return laid;
    }
    const FittedSize fit = sized(f.rect, false);
    laid.font = fontOfSize(fit.fontSize, f.monospaced);
    const qreal textHeight = std::min(f.rect.height(), fit.measured.height());
    laid.box = QRectF(f.rect.x(), f.rect.center().y() - textHeight * 0.5, f.rect.width(), textHeight);
    laid.layout = oneLineLayout(f.text, laid.font);
    laid.drawnText = f.text;
    if (fit.measured.width() > f.rect.width() + 0.5)
        laid.drawnText =
            QFontMetricsF(laid.font, &measuringDevice()).elidedText(f.text, Qt::ElideRight, f.rect.width());
    return laid;
}

// How far right of a line the picture holds nothing but the line's
// background (within a tolerance), keeping half a line's height clear of the
// next ink: room a translation longer than its source may run on into.
qreal freeRightEdge(const QImage& rgb, const QRectF& rect, const QColor& background)
{
    if (rgb.isNull()) return rect.right();
    const QRectF r = flipped(rect, rgb.height());
    const int top = std::clamp(int(std::floor(r.top())), 0, rgb.height() - 1);
    const int bottom = std::clamp(int(std::ceil(r.bottom())) - 1, top, rgb.height() - 1);
    const int from = int(std::ceil(rect.right())) + 2;
    const int limit = std::min(rgb.width(), from + int(rect.height() * 40));
    constexpr int kTolerance = 40;
    auto differs = [&](QRgb c) {
        return std::abs(qRed(c) - background.red()) > kTolerance ||
               std::abs(qGreen(c) - background.green()) > kTolerance ||
               std::abs(qBlue(c) - background.blue()) > kTolerance;
    };
    int x = from;
    bool ink = false;
    for (; x < limit && !ink; ++x) {
        for (int y = top; y <= bottom && !ink; ++y)
            ink = differs(reinterpret_cast<const QRgb*>(rgb.constScanLine(y))[x]);
    }
    if (ink) x -= 1 + int(rect.height() * 0.5);
    return std::max(rect.right(), qreal(std::min(x, rgb.width())));
}

constexpr qreal kProbeSize = 100;  // large enough for the drawing font's proportions to show unrounded

// What a line's box tells of the size of the drawing font at which its text
// would stand as tall as it does in the picture. A line's box is tight around
// its ink (a box read around antialiased letters reaches about a pixel beyond
// it), so its height is set against the ink of the same characters in the
// drawing font: a line of only small letters, "su nuevo cauce.", is as high
// as their x height; one with capitals and descenders reaches from the one to
// the other.
struct SourceSize {
    qreal size = 0;     // as read
    qreal largest = 0;  // above `size` for a line of only small letters, which tells its size loosely
};

// How many rows of the picture a line's ink spans: rows that stand out from
// its background by at least half as much as its most inked row (the
// antialiased fringe above and below does not count). A read box may reach a
// row beyond the ink on either side, or none: bold capitals on a badge are
// boxed tight.
std::optional<int> inkRows(const QImage& rgb, const QRectF& rect, const QColor& bg)
{
    if (rgb.isNull()) return std::nullopt;
    const QRect box = flipped(rect, rgb.height()).toAlignedRect().adjusted(0, -1, 0, 1).intersected(rgb.rect());
    if (box.isEmpty()) return std::nullopt;
    std::vector<int> strongest;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        int most = 0;
        for (int x = box.left(); x <= box.right(); ++x)
            most = std::max(most, std::abs(qRed(row[x]) - bg.red()) + std::abs(qGreen(row[x]) - bg.green()) +
                                      std::abs(qBlue(row[x]) - bg.blue()));
        strongest.push_back(most);
    }
    const int most = *std::max_element(strongest.begin(), strongest.end());
    constexpr int kFaintest = 90;  // less than this is no ink a line is read from
    if (most < kFaintest) return std::nullopt;
    const auto first = std::find_if(strongest.begin(), strongest.end(), [&](int v) { return 2 * v >= most; });
    const auto last = std::find_if(strongest.rbegin(), strongest.rend(), [&](int v) { return 2 * v >= most; });
    const int rows = int(strongest.rend() - last) - int(first - strongest.begin());
    // More than the box is a neighbour's ink; much less, a mark's or an
    // icon's stronger colour outweighing the letters.
    if (rows > rect.height() + 0.5 || 2 * rows < rect.height()) return std::nullopt;
    return rows;
}

SourceSize sourceSize(const TextLine& line, const QImage& rgb, const QColor& ground)
{
    constexpr qreal kReadMargin = 1;
    // Faces set their small letters at 45 to 55 hundredths of the em, and an
    // engine may or may not take the dots of i and j into a line's box.
    constexpr qreal kSmallLetterSpread = 1.25;
    const QFontMetricsF metrics(fontOfSize(kProbeSize, line.monospaced), &measuringDevice());
    const std::optional<int> ink = inkRows(rgb, line.rect, ground);
    const qreal height = std::max<qreal>(ink ? *ink : line.rect.height() - kReadMargin, 1);
    // Marks alone (a dash, dots) say nothing of the size: no letter is lower than an x.
    auto inkOf = [&](const QString& text) {
        return std::max(metrics.tightBoundingRect(text).height(), metrics.xHeight());
    };
    const qreal size = height * kProbeSize / inkOf(line.text);
    QString dotless = line.text;
    dotless.replace(QLatin1Char('i'), QChar(0x0131)).replace(QLatin1Char('j'), QChar(0x0237));
    const qreal small = inkOf(dotless);
    if (small >= metrics.tightBoundingRect(QStringLiteral("H")).height()) return {size, size};
    return {size, height * kProbeSize / small * kSmallLetterSpread};
}

// The whole pixel size to draw a style of `size` at. Small letters are hinted
// to whole pixels, which can make a size's capitals a pixel lower than its
// proportions give (and the next size's as tall as them): the size drawn is
// the one whose capitals come nearest to the style's.
qreal drawnSize(qreal size, bool monospaced)
{
    auto capital = [&](qreal at) {
        const QFontMetricsF metrics(fontOfSize(at, monospaced), &measuringDevice());
        return metrics.tightBoundingRect(QStringLiteral("H")).height();
    };
    const qreal wanted = size * capital(kProbeSize) / kProbeSize;
    qreal best = std::round(size);
    qreal bestMiss = std::numeric_limits<qreal>::max();
    for (qreal at = std::max(kMinFontSize, std::floor(size) - 1); at <= std::ceil(size) + 1; ++at) {
        const qreal miss = std::abs(capital(at) - wanted) + 0.01 * std::abs(at - size);
        if (miss < bestMiss) std::tie(best, bestMiss) = std::make_tuple(at, miss);
    }
    return std::clamp(best, kMinFontSize, kMaxFontSize);
}

qreal medianOf(std::vector<qreal> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// layoutPicture, with the empty pieces kept when asked (the renderer patches
// their lines too).
std::vector<std::vector<LayoutFragment>> pictureFragments(const QImage& base, const std::vector<RenderBlock>& blocks,
                                                          bool keepEmpty)
{
    const QImage rgb = base.isNull() ? QImage() : base.convertToFormat(QImage::Format_RGB32);
    std::vector<std::vector<LayoutFragment>> out(blocks.size());
    struct Styled {
        LayoutFragment* fragment;
        SourceSize size;  // of its source lines
    };
    std::vector<Styled> all;
    for (size_t b = 0; b < blocks.size(); ++b) {
        const std::vector<TextLine>& lines = blocks[b].lines;
        out[b] = allFragments(lines, blocks[b].translated);
        // Each line's ground is sampled once: its size, the room beside it
        // and its patch all go by it.
        std::vector<SampledColor> grounds;
        std::vector<SourceSize> sizes;
        for (const TextLine& l : lines) {
            grounds.push_back(backgroundColor(base, l.rect));
            sizes.push_back(sourceSize(l, rgb, grounds.back().color));
        }
        for (size_t i = 0; i < out[b].size(); ++i) {
            LayoutFragment& f = out[b][i];
            f.sourceGround = out[b].size() == lines.size() ? grounds[i] : backgroundColor(base, f.sourceRect);
            if (f.text.isEmpty()) continue;
            SourceSize size = sizes[out[b].size() == lines.size() ? i : 0];
            if (f.wraps) {
                std::vector<qreal> read, largest;
                for (const SourceSize& s : sizes) read.push_back(s.size), largest.push_back(s.largest);
                size = {medianOf(read), medianOf(largest)};
            }
            all.push_back({&f, size});
        }
    }

    // Styles: monospaced or not, lines within 15 % either way of the size
    // most of them read near (a line's size is read to some tenths either
    // way), drawn at the size their lines have. A line of only small letters
    // takes the size of the nearest style its loose size allows, if any.
    struct Style {
        bool monospaced;
        qreal size;
        std::vector<const Styled*> members;
    };
    std::vector<Style> styles;
    auto group = [&](std::vector<const Styled*> items) {
        auto near = [](const Styled* a, const Styled* b) {
            return a->fragment->monospaced == b->fragment->monospaced && b->size.size <= a->size.size * 1.15 &&
                   a->size.size <= b->size.size * 1.15;
        };
        while (!items.empty()) {
            const Styled* centre = nullptr;
            size_t most = 0;
            for (const Styled* s : items) {
                const auto count =
                    size_t(std::count_if(items.begin(), items.end(), [&](const Styled* o) { return near(s, o); }));
                if (count > most) std::tie(centre, most) = std::make_tuple(s, count);
            }
            std::vector<const Styled*> members, rest;
            for (const Styled* s : items) (near(centre, s) ? members : rest).push_back(s);
            std::vector<qreal> sizes;
            for (const Styled* s : members) sizes.push_back(s->size.size);
            styles.push_back({centre->fragment->monospaced, medianOf(sizes), std::move(members)});
            items = std::move(rest);
        }
    };
    std::vector<const Styled*> firm, loose, alone;
    for (const Styled& s : all) (s.size.largest > s.size.size ? loose : firm).push_back(&s);
    group(firm);
    for (const Styled* s : loose) {
        Style* nearest = nullptr;
        qreal nearestMiss = std::numeric_limits<qreal>::max();
        for (Style& style : styles) {
            if (style.monospaced != s->fragment->monospaced || style.size * 1.15 < s->size.size ||
                style.size > s->size.largest)
                continue;
            const qreal miss = std::abs(std::log(style.size / std::sqrt(s->size.size * s->size.largest)));
            if (miss < nearestMiss) std::tie(nearest, nearestMiss) = std::make_tuple(&style, miss);
        }
        if (nearest)
            nearest->members.push_back(s);
        else
            alone.push_back(s);
    }
    group(alone);

    // A fragment that does not fit its style's size (even with the room
    // beside a one-line fragment) is drawn smaller.
    for (const Style& style : styles) {
        const bool monospaced = style.monospaced;
        const qreal size = drawnSize(style.size, monospaced);
        const qreal lineHeight = QFontMetricsF(fontOfSize(size, monospaced), &measuringDevice()).height();
        for (const Styled* s : style.members) {
            LayoutFragment& f = *s->fragment;
            if (f.wraps) {
                f.fontSize =
                    std::min(size, fittedFontSize(f.text, f.rect.adjusted(1, 0, -1, 0), true, monospaced).fontSize);
                continue;
            }
            // A one-line fragment gets its style's full line, and the room
            // beside it when its text is longer than its source.
            if (lineHeight > f.rect.height())
                f.rect.adjust(0, -(lineHeight - f.rect.height()) / 2, 0, (lineHeight - f.rect.height()) / 2);
            const qreal needed = measure(f.text, size, false, 0, monospaced).width() + 1;
            if (needed > f.rect.width() && !rgb.isNull())
                f.rect.setRight(std::min(freeRightEdge(rgb, f.rect, f.sourceGround.color),
                                         f.rect.left() + needed));
            f.fontSize = needed - 1 <= f.rect.width() + 0.5
                             ? size
                             : std::min(size, fittedFontSize(f.text, f.rect, false, monospaced).fontSize);
        }
    }

    if (!keepEmpty)
        for (auto& fragments : out)
            fragments.erase(std::remove_if(fragments.begin(), fragments.end(),
                                           [](const LayoutFragment& f) { return f.text.isEmpty(); }),
                            fragments.end());
    return out;
}

void drawLaid(QPainter& painter, const DrawItem& item, const Laid& laid, qreal imageHeight)
{
    const QRectF box = flipped(laid.box, imageHeight);
    painter.save();
    painter.setClipRect(flipped(item.rect, imageHeight));
    painter.setPen(item.textColor);
    if (item.wraps) {
        laid.layout->draw(&painter, box.topLeft());
    } else {
        painter.setFont(laid.font);
        painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, laid.drawnText);
    }
    painter.restore();
}

}  // namespace

QFont fontOfSize(qreal size, bool monospaced)
{
    QFont font = monospaced ? QFontDatabase::systemFont(QFontDatabase::FixedFont) : QGuiApplication::font();
    if (monospaced) {
        font.setStyleHint(QFont::Monospace);
        font.setFixedPitch(true);
        font.setFamilies({font.family(), QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Liberation Mono"),
                          QStringLiteral("WenQuanYi Micro Hei Mono"), QStringLiteral("WenQuanYi Micro Hei")});
    } else {
        font.setFamilies({font.family(), QStringLiteral("WenQuanYi Micro Hei")});
    }
    font.setPointSizeF(std::max<qreal>(size, 1));
    font.setWeight(QFont::Medium);
    return font;
}

std::vector<QString> splitProportionally(const QString& text, const std::vector<qreal>& weights)
{
    if (weights.empty()) return {};
    const std::vector<QString> chars = graphemes(text);
    const qsizetype n = qsizetype(chars.size());
    qreal total = 0;
    for (qreal w : weights) total += w;
    if (total <= 1) total = 1;

    std::vector<std::vector<QString>> pieces;
    qsizetype cursor = 0;
    for (size_t i = 0; i + 1 < weights.size(); ++i) {
        const qsizetype take = std::max<qsizetype>(0, qsizetype(std::round(weights[i] * qreal(n) / total)));
        const qsizetype end = std::min(n, cursor + take);
        pieces.emplace_back(chars.begin() + cursor, chars.begin() + end);
        cursor = end;
    }
    pieces.emplace_back(chars.begin() + cursor, chars.end());

    for (size_t i = 1; i < pieces.size(); ++i) {
        while (!pieces[i].empty() && isClosingPunctuation(pieces[i].front())) {
            pieces[i - 1].push_back(pieces[i].front());
            pieces[i].erase(pieces[i].begin());
        }
    }

    std::vector<QString> out;
    for (const auto& piece : pieces) {
        QString joined;
        for (const QString& ch : piece) joined += ch;
        out.push_back(trimSpacesAndTabs(joined));
    }
    return out;
}

std::vector<LayoutFragment> layoutFragments(const std::vector<TextLine>& lines, const QString& translated)
{
    std::vector<LayoutFragment> fragments = allFragments(lines, translated);
    fragments.erase(std::remove_if(fragments.begin(), fragments.end(),
                                   [](const LayoutFragment& f) { return f.text.isEmpty(); }),
                    fragments.end());
    return fragments;
}

std::vector<std::vector<LayoutFragment>> layoutPicture(const QImage& base, const std::vector<RenderBlock>& blocks)
{
    return pictureFragments(base, blocks, false);
}

FittedSize fittedFontSize(const QString& text, const QRectF& rect, bool wraps, bool monospaced)
{
    qreal hi = std::min(std::max(1.2 * rect.height(), kMinFontSize), kMaxFontSize);
    auto fits = [&](const QSizeF& size) {
        return size.height() <= rect.height() && (wraps || size.width() <= rect.width() + 0.5);
    };
    const QSizeF atMin = measure(text, kMinFontSize, wraps, rect.width(), monospaced);
    if (!fits(atMin) || hi - kMinFontSize <= 0.5) return {kMinFontSize, atMin};

    FittedSize best{kMinFontSize, atMin};
    qreal lo = kMinFontSize;
    while (hi - lo > 0.5) {
        const qreal mid = (lo + hi) * 0.5;
        const QSizeF size = measure(text, mid, wraps, rect.width(), monospaced);
        if (fits(size)) {
            lo = mid;
            best = {mid, size};
        } else {
            hi = mid;
        }
    }
    return best;
}

namespace {

// The colour nearly all of a thin ring just outside the rectangle shows (a
// line's page, the pill or button a short word stands on), if it has one:
// within the picture, two and three pixels out, clear of the antialiased
// edge of the ink the box is read around.
std::optional<QColor> ringColor(const QImage& image, const QRectF& rect)
{
    const QRect box = flipped(rect, image.height()).toAlignedRect();
    const QRect bounds = image.rect();
    std::vector<QPoint> ring;
    for (int d = 2; d <= 3; ++d) {
        const QRect r = box.adjusted(-d, -d, d, d);
        for (int x = r.left(); x <= r.right(); ++x) ring.insert(ring.end(), {{x, r.top()}, {x, r.bottom()}});
        for (int y = r.top() + 1; y < r.bottom(); ++y) ring.insert(ring.end(), {{r.left(), y}, {r.right(), y}});
    }
    ring.erase(std::remove_if(ring.begin(), ring.end(), [&](const QPoint& p) { return !bounds.contains(p); }),
               ring.end());
    if (ring.size() < 8) return std::nullopt;
    constexpr size_t kSamples = 256;
    std::vector<QRgb> colors;
    const size_t step = (ring.size() + kSamples - 1) / kSamples;
    for (size_t i = 0; i < ring.size(); i += step) colors.push_back(image.pixel(ring[i]));

    // The colour with the most samples alike, and whether nearly all are.
    constexpr int kAlike = 16;
    auto alike = [](QRgb a, QRgb b) {
        return std::abs(qRed(a) - qRed(b)) <= kAlike && std::abs(qGreen(a) - qGreen(b)) <= kAlike &&
               std::abs(qBlue(a) - qBlue(b)) <= kAlike;
    };
    size_t best = 0;
    size_t bestCount = 0;
    for (size_t i = 0; i < colors.size(); ++i) {
        const auto count =
            size_t(std::count_if(colors.begin(), colors.end(), [&](QRgb c) { return alike(c, colors[i]); }));
        if (count > bestCount) std::tie(best, bestCount) = std::make_tuple(i, count);
    }
    if (bestCount * 10 < colors.size() * 9) return std::nullopt;
    long r = 0, g = 0, b = 0, n = 0;
    for (QRgb c : colors) {
        if (!alike(c, colors[best])) continue;
        r += qRed(c);
        g += qGreen(c);
        b += qBlue(c);
        ++n;
    }
    return QColor(int(std::lround(double(r) / n)), int(std::lround(double(g) / n)), int(std::lround(double(b) / n)));
}

}  // namespace

SampledColor backgroundColor(const QImage& image, const QRectF& rect)
{
    if (const std::optional<QColor> ring = ringColor(image, rect))
        return {*ring, 0.299 * ring->redF() + 0.587 * ring->greenF() + 0.114 * ring->blueF()};
    const qreal h = image.height();
    const QRectF wide = rect.adjusted(-6, 0, 6, 0);
    const QPointF points[] = {{wide.left(), wide.top()},  {wide.left(), wide.center().y()},  {wide.left(), wide.bottom()},
                              {wide.right(), wide.top()}, {wide.right(), wide.center().y()}, {wide.right(), wide.bottom()}};
    const QRectF bounds(0, 0, image.width(), image.height());
    std::vector<int> reds, greens, blues;
    for (const QPointF& p : points) {
        const QRectF square = QRectF(p.x() - 1.5, (h - p.y()) - 1.5, 3, 3).intersected(bounds);
        if (square.isEmpty() || square.width() < 1 || square.height() < 1) continue;
        const QRect pixels(QPoint(int(std::floor(square.left())), int(std::floor(square.top()))),
                           QPoint(int(std::ceil(square.right())) - 1, int(std::ceil(square.bottom())) - 1));
        long r = 0, g = 0, b = 0, n = 0;
        for (int y = pixels.top(); y <= pixels.bottom(); ++y) {
            for (int x = pixels.left(); x <= pixels.right(); ++x) {
                const QRgb c = image.pixel(x, y);
                r += qRed(c);
                g += qGreen(c);
                b += qBlue(c);
                ++n;
            }
        }
        if (n == 0) continue;
        reds.push_back(int(std::lround(double(r) / n)));
        greens.push_back(int(std::lround(double(g) / n)));
        blues.push_back(int(std::lround(double(b) / n)));
    }
    if (reds.empty()) return {QColor(Qt::white), 1};
    auto median = [](std::vector<int> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2] / 255.0;
    };
    const qreal red = median(reds);
    const qreal green = median(greens);
    const qreal blue = median(blues);
    return {QColor::fromRgbF(float(red), float(green), float(blue)), 0.299 * red + 0.587 * green + 0.114 * blue};
}

PlacedFragment placeFragment(const LayoutFragment& fragment)
{
    const Laid laid = lay(fragment);
    PlacedFragment placed{laid.font, laid.box, std::min(laid.box.right(), fragment.rect.right()), {}};
    const QTextLayout& layout = *laid.layout;
    const QString& text = layout.text();
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        int end = line.textStart() + line.textLength();
        if (fragment.wraps)
            while (end > line.textStart() && text.at(end - 1).isSpace()) --end;
        if (end == line.textStart()) continue;
        std::vector<qreal> edges = lineEdges(line, text, line.textStart(), end);
        for (qreal& x : edges) x += laid.box.x();
        // A one-line fragment's line is its whole box, as drawText centres it there.
        const QRectF rect = fragment.wraps ? QRectF(laid.box.x() + line.x(), laid.box.bottom() - line.y() - line.height(),
                                                    line.naturalTextWidth(), line.height())
                                           : laid.box;
        placed.lines.push_back({fragment.text.mid(line.textStart(), end - line.textStart()), rect, std::move(edges)});
    }
    return placed;
}

std::vector<qreal> characterOffsets(const QString& text, const QFont& font)
{
    const auto layout = oneLineLayout(text, font);
    if (layout->lineCount() == 0) return std::vector<qreal>(graphemeBoundaries(text).size(), 0.0);
    return lineEdges(layout->lineAt(0), layout->text(), 0, int(layout->text().size()));
}

QImage render(const QImage& base, const std::vector<RenderBlock>& blocks, qreal displayScale)
{
    if (base.isNull()) return {};
    QImage canvas = base.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int dpmX = canvas.dotsPerMeterX();
    const int dpmY = canvas.dotsPerMeterY();
    canvas.setDotsPerMeterX(kDotsPerMeterAt72Dpi);
    canvas.setDotsPerMeterY(kDotsPerMeterAt72Dpi);
    const qreal h = canvas.height();

    // Every item's colours come from the untouched base, around where its
    // source text stands (the fragment may reach further).
    std::vector<DrawItem> items;
    std::vector<LayoutFragment> fragments;
    for (std::vector<LayoutFragment>& ofBlock : pictureFragments(base, blocks, true)) {
        for (LayoutFragment& f : ofBlock) {
            const SampledColor& bg = f.sourceGround;
            items.push_back({f.rect, f.text, f.wraps, bg.color, bg.luminance > 0.55 ? QColor(Qt::black)
                                                                                    : QColor(Qt::white)});
            fragments.push_back(std::move(f));
        }
    }

    {
        QPainter painter(&canvas);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        // All patches first, so that no patch covers text drawn before it.
        painter.setPen(Qt::NoPen);
        for (const DrawItem& item : items) {
            const qreal margin = std::min(0.15 * item.rect.height(), 3.0);
            const QRectF patch = item.rect.adjusted(-4, -margin, 4, margin);
            painter.setBrush(item.background);
            painter.drawRoundedRect(flipped(patch, h), 4, 4);
        }
        for (size_t i = 0; i < items.size(); ++i) {
            if (items[i].text.isEmpty()) continue;
            drawLaid(painter, items[i], lay(fragments[i]), h);
        }
    }

    // An opaque capture stays opaque: its picture is stored and shown
    // without an alpha channel that would only hold 255 everywhere.
    if (!base.hasAlphaChannel()) canvas = std::move(canvas).convertToFormat(QImage::Format_RGB32);
    canvas.setDotsPerMeterX(dpmX);
    canvas.setDotsPerMeterY(dpmY);
    canvas.setDevicePixelRatio(displayScale > 0 ? displayScale : 1);
    return canvas;
}

}  // namespace klipo::ImageRenderer
