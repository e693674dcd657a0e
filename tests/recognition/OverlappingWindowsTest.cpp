// Desktops of windows on top of one another: each window is read whole (the
// one on top as well), the text of a window under another only where it
// shows, and no line runs from one window into another.
#include "ScreenCanvas.h"
#include "platform/text/PageLayout.h"

#include <gtest/gtest.h>

#include <QLinearGradient>

#include <map>

using namespace klipo;
using namespace klipo::test;

namespace {

qint64 area(const QRect& r) { return r.isEmpty() ? 0 : qint64(r.width()) * r.height(); }

struct Window {
    QRectF frame;
    QString title;
    QColor bar;
    QColor ground;
    QColor ink;
    int rows = 0;
    qreal width = 0;  // how far its lines run at least
    // How its edge shows: a drawn outline over a hard shadow, or neither
    // (told apart by its ground alone), or a soft shadow all round.
    enum class Edge { outlined, groundOnly, softShadow } edge = Edge::outlined;
    qreal inset = 20;  // from its left edge to its lines
    QColor titleInk;   // if not the ink of its lines
};

struct Desktop {
    Screen screen;
    std::vector<std::pair<QRect, int>> partlyHidden;  // what shows of such lines, and their window
};

// A desktop of windows drawn back to front. The lines of each window stand
// at the same heights as those of the windows beside it, so that no empty
// row or column parts them; the lines of the window at the back run on under
// the one in front of it (drawn, but partly hidden: not expected).
Desktop drawDesktop(ScreenLanguage language, double scale, const std::vector<Window>& windows)
{
    Desktop desktop;
    Screen& screen = desktop.screen;
    screen.language = language;
    screen.scale = scale;
    screen.name = QStringLiteral("windows %1 %2x").arg(languageName(language)).arg(scale);
    const QSize size(1100, 720);
    screen.image = QImage(size * scale, QImage::Format_RGB32);
    Canvas canvas(screen.image, scale, screen);
    QPainter& p = canvas.painter();
    QLinearGradient wallpaper(QPointF(0, 0), QPointF(size.width(), size.height()));
    wallpaper.setColorAt(0, QColor(38, 70, 96));
    wallpaper.setColorAt(1, QColor(96, 48, 110));
    p.fillRect(QRectF(QPointF(0, 0), QSizeF(size)), wallpaper);
    const QFont titleFont = styled(fontFor(language, 13), true);
    const QFont font = fontFor(language, 14);
    const QStringList words =
        isCjk(language)
            ? QStringList{QStringLiteral("本周的会议改到周四下午"), QStringLiteral("请把报告发给大家"),
                          QStringLiteral("新版本的启动速度快了不少"), QStringLiteral("明天上午十点在会议室")}
            : QStringList{QStringLiteral("The meeting moved to Thursday"),
                          QStringLiteral("Please send the report round"), QStringLiteral("The new build starts faster"),
                          QStringLiteral("Tomorrow at ten in room four")};
    for (size_t w = 0; w < windows.size(); ++w) {
        const Window& win = windows[w];
        const QRectF& f = win.frame;
        canvas.place(int(w) + 1, 0);
        p.setPen(Qt::NoPen);
        if (win.edge == Window::Edge::outlined) {
            p.setBrush(QColor(0, 0, 0, 60));
            p.drawRect(f.translated(4, 6));
            p.setPen(win.bar.darker(140));
        } else if (win.edge == Window::Edge::softShadow) {
            // Rings ever fainter outwards, a little lower than the window.
            p.setBrush(QColor(0, 0, 0, 14));
            for (int i = 6; i >= 1; --i) p.drawRoundedRect(f.adjusted(-i, -i + 2, i, i + 2), i, i);
        }
        p.setBrush(win.ground);
        p.drawRect(f);
        // Without an outline, the title bar reaches the window's edges.
        const qreal rim = win.edge == Window::Edge::outlined ? 1 : 0;
        p.fillRect(QRectF(f.left() + rim, f.top() + rim, f.width() - 2 * rim + 1, 30 - rim), win.bar);
        for (int i = 0; i < 3; ++i) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(i == 0 ? 230 : 120, 120, i == 2 ? 200 : 90));
            p.drawEllipse(QRectF(f.left() + 10 + 20 * i, f.top() + 9, 12, 12));
        }
        canvas.text(win.title, QRectF(f.left() + 80, f.top() + 1, f.width() - 160, 29), Qt::AlignHCenter, titleFont,
                    win.titleInk.isValid() ? win.titleInk : win.ink);
        // A window that one drawn later covers in part: its lines that run
        // under that one are drawn but not expected.
        QRectF cover;
        for (size_t v = w + 1; v < windows.size(); ++v)
            if (windows[v].frame.intersects(f)) cover |= windows[v].frame.adjusted(-2, -2, 8, 8);
        p.save();
        p.setClipRect(f.adjusted(1, 30, -1, -1));
        for (int r = 0; r < win.rows; ++r) {
            QString line = words[(r + int(w)) % words.size()] + QStringLiteral(" %1").arg(r + 1);
            while (QFontMetricsF(font).horizontalAdvance(line) < win.width)
                line += QLatin1Char(' ') + words[(r + int(line.size())) % words.size()];
            const QPointF at(f.left() + win.inset, 150 + 30 * r);
            if (at.y() < f.top() + 40 || at.y() > f.bottom() - 30) continue;
            const QRectF box(at, QSizeF(QFontMetricsF(font).horizontalAdvance(line), QFontMetricsF(font).height()));
            // Cut by a window on top, or by its own window's edge.
            const qreal shows = std::min(box.intersects(cover) ? cover.left() : box.right(), f.right() - 1);
            if (shows < box.right()) {
                p.setFont(font);
                p.setPen(win.ink);
                p.drawText(at + QPointF(0, QFontMetricsF(font).ascent()), line);
                const QRectF seen = box.intersected(QRectF(box.topLeft(), QPointF(shows, box.bottom())));
                const QRect shown = QRectF(seen.topLeft() * scale, seen.size() * scale).toAlignedRect();
                screen.ignored.push_back(shown);
                desktop.partlyHidden.emplace_back(shown, int(w) + 1);
            } else {
                canvas.text(line, at, font, win.ink);
            }
        }
        p.restore();
    }
    return desktop;
}

// Which window's text a box lies on (top-left space), from the drawn lines.
int windowOf(const Screen& screen, const QRect& box)
{
    int best = -1;
    qint64 most = 0;
    for (const ReferenceLine& line : screen.lines) {
        const qint64 common = area(box & line.box);
        if (common * 2 >= std::min(area(box), area(line.box)) && common > most) {
            most = common;
            best = line.window;
        }
    }
    return best;
}

void expectEachWindowWholeAndNoLineJoined(const Desktop& desktop)
{
    const Screen& screen = desktop.screen;
    SCOPED_TRACE(qPrintable(screen.name));
    const platform::PageLayout page = platform::analysePage(screen.image);
    std::map<int, int> linesRead;  // window -> its lines read
    std::map<int, bool> left;      // windows read and left behind
    int current = -1;
    for (const platform::LayoutLine& line : page.lines) {
        // No line holds text of two windows, a line partly hidden included.
        std::map<int, int> windows;
        for (const ReferenceLine& drawn : screen.lines)
            if (area(line.rect & drawn.box) * 3 >= area(drawn.box)) ++windows[drawn.window];
        for (const auto& [shown, w] : desktop.partlyHidden)
            if (area(line.rect & shown) * 3 >= area(shown)) ++windows[w];
        EXPECT_LE(windows.size(), 1u) << "line at " << line.rect.x() << "," << line.rect.y() << " joins windows";
        if (std::any_of(screen.ignored.begin(), screen.ignored.end(),
                        [&](const QRegion& hidden) { return areaIn(line.rect, hidden) * 2 >= area(line.rect); }))
            continue;
        const int w = windowOf(screen, line.rect);
        if (w < 0) continue;
        ++linesRead[w];
        if (w != current) {
            EXPECT_FALSE(left[w]) << "window " << w << " read again at " << line.rect.x() << "," << line.rect.y();
            if (current >= 0) left[current] = true;
            current = w;
        }
    }
    std::map<int, int> drawn;
    for (const ReferenceLine& line : screen.lines) ++drawn[line.window];
    for (const auto& [w, n] : drawn) EXPECT_GE(linesRead[w], n) << "window " << w << " not read whole";
}

}  // namespace

// Three windows, each on top of the last: the back one's lines beside the
// middle one's, the middle one's beside the front one's, at the same heights.
TEST(OverlappingWindows, eachWindowReadsWhole_TheOneOnTopToo_AndNoLineRunsIntoAnother)
{
    const QColor light(232, 232, 236);
    const QColor mid(170, 174, 184);
    for (const ScreenLanguage language : {ScreenLanguage::English, ScreenLanguage::Chinese})
        for (const double scale : {1.0, 2.0}) {
            const std::vector<Window> windows = {
                {QRectF(40, 60, 640, 560), QStringLiteral("Notes"), light, Qt::white, QColor(30, 30, 30), 15, 400},
                {QRectF(330, 100, 420, 480), QStringLiteral("Mail"), mid, QColor(36, 38, 44), QColor(235, 235, 235), 15,
                 300},
                {QRectF(600, 40, 440, 420), QStringLiteral("Chat"), light, QColor(250, 248, 240), QColor(20, 20, 60),
                 15, 0},
            };
            expectEachWindowWholeAndNoLineJoined(drawDesktop(language, scale, windows));
        }
}

// Windows whose edges are no drawn line: a dark window lying on a dark one,
// told apart only by a slightly other ground, and a white pop-up on a white
// page, whose edge is only a soft shadow. Each still reads whole.
TEST(OverlappingWindows, windowsToldApartByTheirGroundOrASoftShadow_EachReadWhole)
{
    using Edge = Window::Edge;
    const std::vector<Window> dark = {
        {QRectF(40, 60, 640, 560), QStringLiteral("Chat"), QColor(56, 62, 48), QColor(46, 52, 38),
         QColor(222, 222, 214), 15, 400, Edge::groundOnly},
        {QRectF(330, 100, 600, 480), QStringLiteral("Settings"), QColor(32, 44, 45), QColor(23, 32, 33),
         QColor(232, 232, 232), 15, 300, Edge::groundOnly, 10},
    };
    const std::vector<Window> light = {
        {QRectF(40, 40, 900, 620), QStringLiteral("Settings"), QColor(236, 232, 240), Qt::white, QColor(30, 30, 30), 15,
         560, Edge::groundOnly},
        {QRectF(100, 108, 320, 300), QStringLiteral("Menu"), Qt::white, Qt::white, QColor(30, 30, 30), 15, 0,
         Edge::softShadow},
    };
    for (const ScreenLanguage language : {ScreenLanguage::English, ScreenLanguage::Chinese})
        for (const auto* windows : {&dark, &light})
            expectEachWindowWholeAndNoLineJoined(drawDesktop(language, 1.0, *windows));
    expectEachWindowWholeAndNoLineJoined(drawDesktop(ScreenLanguage::English, 2.0, dark));
}

// A window on top lying on two beneath it: inside the back one's outline,
// over the middle one's side. It reads whole, and the middle one reads only
// what shows of it, not running on through the one on top.
TEST(OverlappingWindows, aWindowOnTwoOthersInsideTheBackOne_ReadsWholeBeforeTheMiddleOne)
{
    const QColor light(232, 232, 236);
    const QColor mid(170, 174, 184);
    const std::vector<Window> windows = {
        {QRectF(40, 60, 700, 520), QStringLiteral("Chat"), light, Qt::white, QColor(30, 30, 30), 15, 400},
        {QRectF(200, 100, 460, 560), QStringLiteral("Notes"), mid, QColor(250, 248, 240), QColor(20, 20, 60), 15, 300},
        {QRectF(440, 150, 250, 300), QStringLiteral("Mail"), light, QColor(245, 245, 250), QColor(30, 30, 30), 15, 0},
    };
    for (const ScreenLanguage language : {ScreenLanguage::English, ScreenLanguage::Chinese})
        expectEachWindowWholeAndNoLineJoined(drawDesktop(language, 1.0, windows));
}

// Two windows side by side, apart, one standing higher: its title bar, a
// shade darker than the wallpaper around it (its sides there hardly show),
// stands alone above the other's top, and the other, reaching further down,
// draws the longer side along the gap between them. Each still reads whole,
// its title with it.
TEST(OverlappingWindows, windowsSideBySideAtDifferentHeights_EachReadsWholeWithItsTitle)
{
    using Edge = Window::Edge;
    const QColor light(232, 232, 236);
    // The wallpaper drawDesktop() paints, at a point of its 1100 x 720.
    const auto wallpaper = [](qreal x, qreal y) {
        const qreal t = (x * 1100 + y * 720) / (1100.0 * 1100 + 720.0 * 720);
        return QColor::fromRgbF(float((38 + t * 58) / 255), float((70 - t * 22) / 255), float((96 + t * 14) / 255));
    };
    for (const bool higherOnRight : {true, false}) {
        const QRectF low(higherOnRight ? 40 : 600, 120, 480, 580);
        const QRectF high(higherOnRight ? 600 : 40, 40, 440, 380);
        const QColor bar = wallpaper(higherOnRight ? high.left() : high.right(), high.top()).darker(130);
        const std::vector<Window> windows = {
            {low, QStringLiteral("Notes"), light, Qt::white, QColor(30, 30, 30), 18, 300},
            {high, QStringLiteral("Chat"), bar, QColor(250, 248, 240), QColor(20, 20, 60), 18, 260, Edge::groundOnly,
             20, QColor(235, 235, 235)},
        };
        for (const ScreenLanguage language : {ScreenLanguage::English, ScreenLanguage::Chinese})
            for (const double scale : {1.0, 2.0})
                expectEachWindowWholeAndNoLineJoined(drawDesktop(language, scale, windows));
    }
}
