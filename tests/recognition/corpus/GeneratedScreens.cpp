#include "corpus/GeneratedScreens.h"

#include "corpus/Composer.h"

#include <QCryptographicHash>

namespace klipo::test {

namespace {

struct Placed {
    QRect px;     // the window, in image pixels
    size_t from;  // its lines
    size_t to;
    QRect content;       // where its program draws (clipped to it)
    size_t contentFrom;  // the program's lines
};

void wallpaper(Composer& c, const QSizeF& size)
{
    if (c.chance(0.4)) {
        c.picture(QRectF(QPointF(0, 0), size));
        return;
    }
    QLinearGradient g(QPointF(0, 0), QPointF(size.width(), size.height()));
    g.setColorAt(0, QColor::fromHslF(float(c.between(0, 1)), float(c.between(0.2, 0.6)), float(c.between(0.15, 0.5))));
    g.setColorAt(1, QColor::fromHslF(float(c.between(0, 1)), float(c.between(0.2, 0.6)), float(c.between(0.15, 0.6))));
    c.painter().fillRect(QRectF(QPointF(0, 0), size), g);
}

// A panel along the top or bottom with the programs' names and a clock.
qreal panel(Composer& c, const QSizeF& size, bool top)
{
    const qreal h = c.between(24, 32);
    const qreal y = top ? 0 : size.height() - h;
    c.box(QRectF(0, y, size.width(), h), QColor(20 + c.below(30), 20 + c.below(30), 24 + c.below(30)), QColor());
    const QFont f = c.font(Composer::Role::Sans, c.between(12, 14));
    const QColor ink(230, 230, 230);
    qreal x = 10;
    c.icon(QRectF(x, y + 4, h - 8, h - 8), IconKind::Menu, ink);
    x += h + 8;
    for (int i = 0, n = 1 + c.below(4); i < n; ++i)
        x += c.text(c.word(), QPointF(x, y + (h - QFontMetricsF(f).height()) / 2), f, ink) + 24;
    c.text(c.time(), QRectF(size.width() - 80, y, 70, h), Qt::AlignRight | Qt::AlignVCenter, f, ink);
    c.icon(QRectF(size.width() - 110, y + 6, h - 12, h - 12), IconKind::Bell, ink);
    return h;
}

// A window frame: a title bar with the title and the window buttons.
QRectF frame(Composer& c, const QRectF& f, const QString& title)
{
    const bool dark = c.chance(0.35);
    const QColor bar =
        dark ? QColor(40 + c.below(30), 40 + c.below(30), 44 + c.below(30))
             : QColor::fromHslF(float(c.between(0, 1)), float(c.between(0, 0.15)), float(c.between(0.85, 0.95)));
    const QColor ink = dark ? QColor(235, 235, 235) : QColor(30, 30, 30);
    const qreal h = c.between(26, 36);
    c.box(f.translated(4, 6), QColor(0, 0, 0, 50), QColor(), 6);
    c.box(f, bar, bar.darker(140), 0);
    const QFont font = c.font(Composer::Role::Sans, c.between(12, 14), c.chance(0.5));
    const bool mac = c.chance(0.4);
    if (mac) {
        const QColor colours[] = {QColor(255, 95, 86), QColor(255, 189, 46), QColor(39, 201, 63)};
        for (int i = 0; i < 3; ++i)
            c.icon(QRectF(f.left() + 10 + i * 20, f.top() + h / 2 - 7, 14, 14), IconKind::Circle, colours[i]);
    } else {
        int i = 0;
        for (IconKind k : {IconKind::Close, IconKind::Maximise, IconKind::Minimise})
            c.icon(QRectF(f.right() - 28 - 30 * i++, f.top() + h / 2 - 8, 16, 16), k, ink);
    }
    if (c.chance(0.3)) c.randomIcon(QRectF(f.left() + (mac ? 76 : 8), f.top() + h / 2 - 8, 16, 16), ink);
    const QRectF titleArea(f.left() + 100, f.top(), f.width() - 200, h);
    c.text(title, titleArea, c.chance(0.6) ? Qt::AlignHCenter : Qt::AlignLeft, font, ink);
    return QRectF(f.left() + 1, f.top() + h, f.width() - 2, f.height() - h - 1);
}

}  // namespace

Screen generateScreen(quint32 seed)
{
    Composer c(seed);
    c.screen.language = ScreenLanguage(c.below(6));
    c.screen.scale = c.chance(0.3) ? 2 : 1;
    c.chooseFamilies();
    const bool desktop = c.chance(0.6);
    static const QSize desktops1x[] = {{1280, 800}, {1366, 768}, {1440, 900}, {1600, 900}, {1920, 1080}};
    static const QSize desktops2x[] = {{960, 600}, {1280, 720}, {1280, 800}};
    static const QSize apps1x[] = {{800, 600}, {1024, 700}, {1200, 800}, {1280, 720}};
    static const QSize apps2x[] = {{640, 480}, {800, 560}, {960, 600}};
    const bool two = c.screen.scale == 2;
    const QSize size = desktop ? (two ? desktops2x[c.below(3)] : desktops1x[c.below(5)])
                               : (two ? apps2x[c.below(3)] : apps1x[c.below(4)]);
    c.screen.image = blank(size, c.screen.scale, Qt::black);
    c.canvas = std::make_unique<Canvas>(c.screen.image, c.screen.scale, c.screen);
    const double s = c.screen.scale;
    auto toPx = [s](const QRectF& r) { return QRectF(r.topLeft() * s, r.size() * s).toAlignedRect(); };
    std::vector<Placed> placed;
    QStringList what;
    if (!desktop) {
        c.newWindow(1);
        const QRectF all(QPointF(0, 0), QSizeF(size));
        const size_t from = c.screen.lines.size();
        what << drawProgram(c, all);
        placed.push_back({toPx(all), from, c.screen.lines.size(), toPx(all), from});
    } else {
        wallpaper(c, QSizeF(size));
        qreal top = 0;
        qreal bottom = size.height();
        if (c.chance(0.6)) {
            c.newWindow(0);
            const bool atTop = c.chance(0.5);
            const size_t from = c.screen.lines.size();
            const qreal h = panel(c, QSizeF(size), atTop);
            (atTop ? top : bottom) += atTop ? h : -h;
            const QRect bar = toPx(QRectF(0, atTop ? 0 : bottom, size.width(), h));
            placed.push_back({bar, from, c.screen.lines.size(), bar, from});
        }
        const int windows = 1 + c.below(4);
        const bool overlap = c.chance(0.45);
        std::vector<QRectF> frames;
        for (int w = 0; w < windows; ++w) {
            QRectF f;
            for (int attempt = 0; attempt < 40; ++attempt) {
                const qreal fw = size.width() * c.between(windows == 1 ? 0.6 : 0.35, windows == 1 ? 0.95 : 0.7);
                const qreal fh = (bottom - top) * c.between(0.45, 0.95);
                f = QRectF(c.between(0, size.width() - fw), top + c.between(0, bottom - top - fh), fw, fh);
                if (overlap || std::none_of(frames.begin(), frames.end(), [&](const QRectF& g) {
                        return g.adjusted(-12, -12, 12, 12).intersects(f);
                    }))
                    break;
                f = QRectF();
            }
            if (f.isEmpty()) continue;
            frames.push_back(f);
            c.cover(f.adjusted(0, 0, 5, 7));
            c.newWindow(w + 1);
            const size_t from = c.screen.lines.size();
            static const QStringList programs = {"Firefox", "Files", "Terminal", "Code", "Mail", "Chat", "Settings"};
            const QRectF content =
                frame(c, f, c.chance(0.5) ? c.word() : c.word() + QStringLiteral(" - ") + c.any(programs));
            const size_t contentFrom = c.screen.lines.size();
            what << drawProgram(c, content);
            placed.push_back({toPx(f), from, c.screen.lines.size(), toPx(content), contentFrom});
        }
    }
    // What another window or a menu hides is not expected; what is partly
    // hidden, or cut by its window's edge, is not scored: only the part of it
    // that shows, so that what is read of a window on top is scored.
    auto shown = [&c](size_t line, const QRect& part) {
        QRegion region(part);
        for (const Cover& cover : c.covers)
            if (line < cover.from) region -= cover.px;
        return region;
    };
    std::vector<char> dropped(c.screen.lines.size(), 0);
    for (const Placed& p : placed)
        for (size_t i = p.from; i < p.to; ++i) {
            const QRect& box = c.screen.lines[i].box;
            const QRect& visible = i >= p.contentFrom ? p.content : p.px;
            if (visible.contains(box)) continue;
            dropped[i] = 1;
            if (const QRegion part = shown(i, box & visible); !part.isEmpty()) c.screen.ignored.push_back(part);
        }
    for (const Cover& cover : c.covers)
        for (size_t i = 0; i < cover.from && i < dropped.size(); ++i) {
            const QRect& box = c.screen.lines[i].box;
            if (dropped[i] || !cover.px.intersects(box)) continue;
            dropped[i] = 1;
            if (const QRegion part = shown(i, box); !part.isEmpty()) c.screen.ignored.push_back(part);
        }
    std::vector<ReferenceLine> kept;
    for (size_t i = 0; i < c.screen.lines.size(); ++i)
        if (!dropped[i] && c.screen.lines[i].text.trimmed().size() >= 1) kept.push_back(c.screen.lines[i]);
    c.screen.lines = std::move(kept);
    c.canvas.reset();
    c.screen.kind = desktop ? ScreenKind::Workspace : ScreenKind::Widgets;
    c.screen.name = QStringLiteral("gen-%1 %2 %3x %4")
                        .arg(seed)
                        .arg(languageName(c.screen.language))
                        .arg(s)
                        .arg(what.join(QStringLiteral(", ")));
    return std::move(c.screen);
}

QByteArray screenFingerprint(const Screen& screen)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    const QImage image = screen.image.convertToFormat(QImage::Format_RGB32);
    hash.addData(QStringLiteral("%1 %2x%3\n").arg(screen.name).arg(image.width()).arg(image.height()).toUtf8());
    for (int y = 0; y < image.height(); ++y)
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(image.constScanLine(y)), image.width() * 4));
    for (const ReferenceLine& l : screen.lines)
        hash.addData(QStringLiteral("%1 %2,%3 %4x%5 %6 %7 %8\n")
                         .arg(l.text)
                         .arg(l.box.x())
                         .arg(l.box.y())
                         .arg(l.box.width())
                         .arg(l.box.height())
                         .arg(l.unit)
                         .arg(l.window)
                         .arg(l.part)
                         .toUtf8());
    for (const QRegion& hidden : screen.ignored)
        for (const QRect& r : hidden)
            hash.addData(QStringLiteral("%1,%2 %3x%4\n").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()).toUtf8());
    return hash.result().toHex();
}

}  // namespace klipo::test
