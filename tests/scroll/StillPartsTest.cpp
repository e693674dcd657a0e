// The stitcher on stills as programs show them, framed whole: what stands
// still (a sticky header, a bar at the bottom, a border around the text, a
// fixed button, a scroll bar's thumb) comes once and no seam blanks or
// repeats a row; a terminal's bitmap font reads like any other; a spinner
// beside the text adds no rows; a band of identical rows scrolled smoothly is
// placed where the content comes to rest.
#include "StitchTestSupport.h"
#include "scroll/StitchSession.h"

#include <gtest/gtest.h>

#include <QPainter>

using namespace klipo;
using namespace klipo::test;

namespace {

// What a program draws around the content it scrolls.
struct Chrome {
    const char* name;
    PageKind kind = PageKind::text;
    int width = 800;
    int header = 0;          // a bar on top, with a title
    int footer = 0;          // a bar at the bottom, with a status
    int border = 0;          // a frame around the text
    bool button = false;     // a round button fixed at the bottom right of the text
    bool scrollBar = false;  // a thumb at the right edge of the text that moves with it
    int gapFrom = 0, gapTo = 0;  // the page's band or blank stretch
};
constexpr int scrollBarColumns = 12;

// Light marks on a bar, as its words.
void drawMarks(QPainter& painter, QRect bar, QColor colour)
{
    for (int x = bar.left() + 12; x + 40 < bar.right(); x += 57)
        painter.fillRect(x, bar.center().y() - 4, 31 + x % 13, 9, colour);
}

// The content scrolled to `top`, `height` rows high with the chrome around
// it; the thumb stands as it would over `pageRows` rows of content.
QImage still(const Chrome& c, int top, int height, int pageRows)
{
    const int inner = c.width - 2 * c.border;
    const int rows = height - 2 * c.border - c.header - c.footer;
    QImage frame(c.width, height, QImage::Format_RGB32);
    frame.fill(qRgb(118, 122, 130));
    QPainter painter(&frame);
    const QRect text(c.border, c.border + c.header, inner, rows);
    painter.drawImage(text.topLeft(), pageFrame({c.kind, inner, 5, c.gapFrom, c.gapTo}, top, rows));
    if (c.header) {
        const QRect bar(c.border, c.border, inner, c.header);
        painter.fillRect(bar, QColor(43, 87, 151));
        drawMarks(painter, bar, Qt::white);
    }
    if (c.footer) {
        const QRect bar(c.border, text.bottom() + 1, inner, c.footer);
        painter.fillRect(bar, QColor(236, 236, 236));
        drawMarks(painter, bar, QColor(90, 90, 90));
    }
    if (c.button) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(233, 30, 99));
        painter.drawEllipse(text.right() - 60, text.bottom() - 60, 44, 44);
    }
    if (c.scrollBar) {
        const QRect track(text.right() - scrollBarColumns + 1, text.top(), scrollBarColumns, rows);
        painter.fillRect(track, QColor(241, 241, 241));
        painter.fillRect(track.left() + 2, track.top() + top * rows / pageRows, scrollBarColumns - 4,
                         std::max(rows * rows / pageRows, 20), QColor(160, 160, 160));
    }
    return frame;
}

ScrollStitchOutput finished(ScrollStitcher& stitcher)
{
    auto result = stitcher.finish();
    return std::holds_alternative<ScrollStitchOutput>(result) ? std::get<ScrollStitchOutput>(std::move(result))
                                                              : ScrollStitchOutput{};
}

// Equal but for the columns at the right (a scroll bar's thumb caught at
// different places); the first row that differs, or -1.
int firstDifferingRow(const QImage& a, const QImage& b, int ignoreRight)
{
    if (a.size() != b.size()) return 0;
    const QImage x = a.convertToFormat(QImage::Format_RGB32), y = b.convertToFormat(QImage::Format_RGB32);
    for (int row = 0; row < x.height(); ++row)
        if (std::memcmp(x.constScanLine(row), y.constScanLine(row), std::size_t(x.width() - ignoreRight) * 4) != 0)
            return row;
    return -1;
}

}  // namespace

TEST(StillParts, whatStandsStillComesOnce_AndEverySeamIsExact_WhateverTheChromeAndTheFont)
{
    for (const Chrome& c : {
             Chrome{"sticky header, fixed button, scroll bar", PageKind::text, 1000, 56, 0, 0, true, true},
             Chrome{"a status bar at the bottom", PageKind::text, 800, 0, 30},
             Chrome{"a sunken frame around the text", PageKind::text, 687, 0, 0, 3},
             Chrome{"a terminal's bitmap font, framed whole", PageKind::terminal, 544, 0, 0, 2},
             Chrome{"all at once", PageKind::text, 900, 40, 24, 2, true, true},
             Chrome{"a log whose ids count up, a scroll bar", PageKind::countingLog, 480, 0, 0, 0, false, true},
             Chrome{"a log whose ids count up under a header", PageKind::countingLog, 640, 48, 0, 0, false, true},
         }) {
        SCOPED_TRACE(c.name);
        constexpr int height = 700, pageRows = 5000;
        const int rows = height - 2 * c.border - c.header - c.footer;
        const std::vector<int> tops = randomTops(pageRows, rows, 13, rows - 80, uint32_t(c.width));
        ScrollStitcher stitcher(testConfig());
        for (int top : tops) ASSERT_EQ(stitcher.append(still(c, top, height, pageRows)), std::nullopt);
        const ScrollStitchOutput out = finished(stitcher);
        EXPECT_TRUE(out.lowConfidenceSeams.empty());
        const int ignore = c.scrollBar ? scrollBarColumns + c.border : 0;
        EXPECT_EQ(firstDifferingRow(out.image, still(c, 0, height + tops.back(), pageRows), ignore), -1)
            << out.image.height() << " rows for " << height + tops.back();
    }
}

// A spinner turns beside the text while the page stands still, then the page
// moves on: the stills in between are the same picture, not a few rows on.
TEST(StillParts, aSpinnerBesideTheText_AddsNoRows)
{
    const PageSpec text{PageKind::text, 800, 9};
    const auto withSpinner = [&](int top, int turn) {
        QImage frame = pageFrame(text, top, 600);
        QPainter painter(&frame);
        painter.fillRect(690, 20, 90, 90, Qt::white);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(43, 87, 151));
        painter.drawPie(695, 25, 80, 80, turn * 40 * 16, 120 * 16);
        return frame;
    };
    StitchSession session(testConfig());
    int turn = 0;
    for (int top : {0, 0, 0, 0, 180, 180, 180, 360, 360})
        for (int repeat = 0; repeat < 2; ++repeat) session.process(withSpinner(top, turn++), std::nullopt);
    const ScrollStitchOutput out = finished(session.stitcher());
    EXPECT_EQ(out.placements.size(), 3u);
    EXPECT_TRUE(out.lowConfidenceSeams.empty());
    EXPECT_EQ(firstDifferingRow(out.image, pageFrame(text, 0, 960), 120), -1) << out.image.height() << " rows";
}

// Identical rows over more than a frame, scrolled a notch of 100 rows at a
// time by a program that animates every notch, a scroll bar beside them: the
// stills caught moving lie anywhere in the band and are left out, also one
// caught while the animation paused; those at rest (the same picture twice),
// a whole number of notches from the last rest, place it. Scrolled
// automatically, the notches posted say the same.
TEST(StillParts, aBandScrolledSmoothly_IsPlacedWhereTheContentComesToRest_ByHandAndAutomatically)
{
    const Chrome band{"band", PageKind::band, 640, 0, 0, 0, false, true, 700, 2300};
    constexpr int pageRows = 3200;
    for (const bool automatic : {false, true}) {
        SCOPED_TRACE(automatic ? "automatically" : "by hand");
        StitchSession session(testConfig());
        int top = 0;
        session.process(still(band, 0, 500, pageRows), std::nullopt);
        for (int notch = 1; notch <= 24; ++notch) {
            // Caught on the way; now and then paused on the way (two looks
            // alike, the next still moved on); then at rest, seen twice.
            session.process(still(band, top + 37 + notch % 5, 500, pageRows), std::nullopt, false);
            if (notch % 5 == 0) session.process(still(band, top + 61, 500, pageRows), std::nullopt);
            top += 100;
            const std::optional<int> hint = automatic ? std::optional<int>(100) : std::nullopt;
            const ScrollFrameResult first = session.process(still(band, top, 500, pageRows), hint);
            const ScrollFrameResult again = session.process(still(band, top, 500, pageRows), std::nullopt);
            ASSERT_TRUE(first.kind == ScrollFrameResult::Kind::appended ||
                        again.kind == ScrollFrameResult::Kind::appended)
                << "at " << top;
        }
        const ScrollStitchOutput out = finished(session.stitcher());
        EXPECT_EQ(firstDifferingRow(out.image, still(band, 0, top + 500, pageRows), scrollBarColumns), -1)
            << out.image.height() << " rows for " << top + 500;
        EXPECT_FALSE(out.lowConfidenceSeams.empty()) << "seams inside the band cannot be sure";
    }
}
