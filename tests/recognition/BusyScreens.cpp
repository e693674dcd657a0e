#include "ScreenCanvas.h"

#include <algorithm>
#include <cmath>

namespace klipo::test {

namespace {

QFont headlineFont(ScreenLanguage language)
{
    QFont font = styled(fontFor(language, 36), true);
    if (!isCjk(language)) font.setFamilies({QStringLiteral("Nimbus Roman")});
    font.setPixelSize(36);
    font.setWordSpacing(8);  // a headline set loosely across the page
    return font;
}

// Keeps the lines noted from `from` on that nothing drawn later covers.
void dropCovered(Screen& screen, size_t from, const QRect& cover)
{
    const auto first = screen.lines.begin() + qsizetype(from);
    screen.lines.erase(
        std::remove_if(first, screen.lines.end(), [&](const ReferenceLine& l) { return l.box.intersects(cover); }),
        screen.lines.end());
}

// A box with a one-pixel border (a field, a button, a pop-up).
void box(QPainter& p, const QRectF& r, const QColor& fill, const QColor& border)
{
    p.setPen(QPen(border, 1));
    p.setBrush(fill);
    p.drawRect(r.adjusted(0.5, 0.5, -0.5, -0.5));
}

}  // namespace

// A news page: a large headline and its byline across the page, then two
// columns whose paragraphs start side by side, so that the gaps between
// paragraphs run across both columns. The left column reads first.
void drawColumns(Screen& screen, QSize size, const ScreenTexts& t)
{
    screen.image = blank(size, screen.scale, QColor(252, 252, 250));
    Canvas canvas(screen.image, screen.scale, screen);
    QPainter& p = canvas.painter();
    const ScreenLanguage lang = screen.language;
    const qreal margin = 32;
    canvas.text(t.headline, QPointF(margin, 22), headlineFont(lang), QColor(12, 12, 12));
    canvas.text(t.byline, QPointF(margin, 74), fontFor(lang, 12), QColor(115, 115, 115));
    p.setPen(QPen(QColor(200, 200, 200), 1));
    p.drawLine(QPointF(margin, 98.5), QPointF(size.width() - margin, 98.5));

    const qreal gutter = 36;
    const qreal width = (size.width() - 2 * margin - gutter) / 2;
    const QFont body = fontFor(lang, 15, false, true);
    const qsizetype n = t.sentences.size();
    const QString space = isCjk(lang) ? QString() : QStringLiteral(" ");
    auto paragraph = [&](qsizetype i) { return t.sentences[i % n] + space + t.sentences[(i + 2) % n]; };
    // Paragraph i of the left column stands beside paragraph i of the right one.
    std::vector<qreal> tops;
    qreal y = 114;
    for (qsizetype i = 0;; ++i) {
        qreal tallest = 0;
        for (qsizetype k : {i, i + 4}) {
            QTextLayout layout(paragraph(k), body);
            tallest = std::max(tallest, layOut(layout, width));
        }
        if (y + tallest > size.height() - 12) break;
        tops.push_back(y);
        y += tallest + 14;
    }
    for (int column = 0; column < 2; ++column) {
        const qreal x = margin + column * (width + gutter);
        for (size_t i = 0; i < tops.size(); ++i)
            drawParagraph(canvas, paragraph(qsizetype(i) + 4 * column), QPointF(x, tops[i]), width, body,
                          QColor(22, 22, 22), canvas.newUnit());
    }
}

// A settings window with its File menu open: the menu, a bordered pop-up
// with a shadow, hangs from the menu bar over the window's list of pages,
// beside the form. It reads whole after the menu bar, before the window.
void drawMenu(Screen& screen, QSize size, const ScreenTexts& t)
{
    screen.image = blank(size, screen.scale, QColor(247, 247, 248));
    Canvas canvas(screen.image, screen.scale, screen);
    QPainter& p = canvas.painter();
    const ScreenLanguage lang = screen.language;
    const QFont font = fontFor(lang, 13);
    const QFontMetricsF metrics(font);

    p.fillRect(QRectF(0, 0, size.width(), 26), QColor(236, 236, 238));
    p.setPen(QColor(200, 200, 204));
    p.drawLine(QPointF(0, 26.5), QPointF(size.width(), 26.5));
    const int menuBar = canvas.newUnit();
    qreal x = 8;
    for (int i = 0; i < t.menus.size(); ++i) {
        const qreal w = metrics.horizontalAdvance(t.menus[i]) + 20;
        if (i == 0) p.fillRect(QRectF(x, 2, w, 23), QColor(205, 220, 245));
        canvas.text(t.menus[i], QPointF(x + 10, 13 - metrics.height() / 2), font, QColor(30, 30, 30), menuBar);
        x += w;
    }
    const size_t window = screen.lines.size();

    // The list of pages, its second one selected.
    const qreal sidebar = 190;
    p.fillRect(QRectF(0, 27, sidebar, size.height() - 27), QColor(237, 238, 241));
    p.setPen(QColor(205, 205, 210));
    p.drawLine(QPointF(sidebar + 0.5, 27), QPointF(sidebar + 0.5, size.height()));
    for (int i = 0; i < t.sections.size(); ++i) {
        const qreal top = 36 + 30 * i;
        if (top + 26 > size.height()) break;
        if (i == 1) p.fillRect(QRectF(6, top, sidebar - 12, 26), QColor(0, 100, 220));
        canvas.text(t.sections[i], QPointF(18, top + 13 - metrics.height() / 2), font,
                    i == 1 ? Qt::white : QColor(40, 40, 40));
    }

    // The open menu is as wide as its widest row; the form stands beside it.
    qreal widest = 0;
    for (const QStringList& item : t.menuItems)
        widest = std::max(widest, metrics.horizontalAdvance(item[0]) + metrics.horizontalAdvance(item[1]));
    const int separators = 3;
    const QRectF menu(4, 26, std::max(230.0, widest + 80), 8 + 26 * t.menuItems.size() + 9 * separators);

    // The form.
    const qreal left = std::max(280.0, menu.right() + 40);
    canvas.text(t.formHeading, QPointF(left, 42), styled(fontFor(lang, 18), true), QColor(20, 20, 20));
    for (int i = 0; i < 3; ++i) {
        const qreal top = 92 + 46 * i;
        canvas.text(t.formLabels[i], QPointF(left, top + 14 - metrics.height() / 2), font, QColor(50, 50, 50));
        const QRectF field(left + 170, top, std::min(340.0, size.width() - left - 190), 28);
        box(p, field, Qt::white, QColor(180, 180, 185));
        canvas.text(t.formValues[i], QPointF(field.left() + 8, top + 14 - metrics.height() / 2), font,
                    QColor(20, 20, 20));
    }
    box(p, QRectF(left, 236, 14, 14), QColor(0, 100, 220), QColor(0, 90, 200));
    p.setPen(QPen(Qt::white, 2));
    p.drawPolyline(QPolygonF({QPointF(left + 3, 243), QPointF(left + 6, 246), QPointF(left + 11, 239)}));
    canvas.text(t.checkbox, QPointF(left + 24, 243 - metrics.height() / 2), font, QColor(40, 40, 40));
    qreal buttonX = std::min(left + 510.0, size.width() - 20.0) + 12;
    for (const QString& b : t.buttons) buttonX -= metrics.horizontalAdvance(b) + 32 + 12;
    for (int i = 0; i < t.buttons.size(); ++i) {
        const qreal w = metrics.horizontalAdvance(t.buttons[i]) + 32;
        const QRectF button(buttonX, 290, w, 30);
        box(p, button, i == 1 ? QColor(0, 100, 220) : Qt::white, i == 1 ? QColor(0, 90, 200) : QColor(175, 175, 180));
        canvas.text(t.buttons[i], button, Qt::AlignHCenter, font, i == 1 ? Qt::white : QColor(30, 30, 30));
        buttonX += w + 12;
    }

    // The open menu: a label and its keys on each row, separators between groups.
    const size_t menuFirst = screen.lines.size();
    for (int i = 3; i >= 1; --i) p.fillRect(menu.translated(i, i + 1), QColor(0, 0, 0, 18));
    box(p, menu, Qt::white, QColor(165, 165, 172));
    qreal top = menu.top() + 4;
    for (int i = 0; i < t.menuItems.size(); ++i) {
        const QRectF row(menu.left() + 4, top, menu.width() - 8, 26);
        const bool hovered = i == 3;
        if (hovered) p.fillRect(row, QColor(48, 110, 200));
        const QColor ink = hovered ? Qt::white : QColor(25, 25, 25);
        const int unit = canvas.newUnit();
        canvas.text(t.menuItems[i][0], QPointF(row.left() + 22, row.center().y() - metrics.height() / 2), font, ink,
                    unit);
        canvas.text(t.menuItems[i][1], row.adjusted(0, 0, -12, 0), Qt::AlignRight, font,
                    hovered ? Qt::white : QColor(110, 110, 115), unit);
        top += 26;
        if (i == 1 || i == 3 || i == 5) {
            p.setPen(QColor(220, 220, 224));
            p.drawLine(QPointF(menu.left() + 8, top + 4.5), QPointF(menu.right() - 8, top + 4.5));
            top += 9;
        }
    }
    const QRect covered = menu.adjusted(0, 0, 4, 5).toAlignedRect();
    std::vector<ReferenceLine> menuLines(screen.lines.begin() + qsizetype(menuFirst), screen.lines.end());
    screen.lines.resize(menuFirst);
    dropCovered(screen, window, QRectF(covered.topLeft() * screen.scale, covered.size() * screen.scale).toRect());
    screen.lines.insert(screen.lines.begin() + qsizetype(window), menuLines.begin(), menuLines.end());
}

// A terminal: `git status`, then `ls -l` with its columns lined up by
// spaces, then the next command. Every row is a line of its own.
void drawShell(Screen& screen, QSize size, const ScreenTexts& t)
{
    screen.image = blank(size, screen.scale, QColor(28, 30, 34));
    Canvas canvas(screen.image, screen.scale, screen);
    const QFont mono = fontFor(screen.language, 14, true);
    const qreal cell = QFontMetricsF(mono).horizontalAdvance(QLatin1Char('m'));
    const QColor prompt(110, 210, 120), plain(215, 215, 215), changed(235, 110, 100);
    struct Row {
        QString text;
        QColor ink;
        int indent = 0;
    };
    std::vector<Row> rows = {{t.terminal[0], prompt},
                             {t.terminal[1], plain},
                             {t.terminal[2], plain},
                             {},
                             {t.terminal[3], plain},
                             {t.terminal[4], changed, 8},
                             {},
                             {QStringLiteral("$ ls -l"), prompt}};
    for (const QString& line : t.listing) rows.push_back({line, plain});
    rows.push_back({t.terminal[5], prompt});
    for (size_t i = 0; i < rows.size(); ++i) {
        const qreal y = 10 + 20 * qreal(i);
        if (y + 20 > size.height()) break;
        if (!rows[i].text.isEmpty())
            canvas.text(rows[i].text, QPointF(12 + rows[i].indent * cell, y), mono, rows[i].ink);
    }
}

// A spreadsheet of shortcuts: the row numbers down the left, the keys
// ("Ctrl+Shift+S") and signed changes ("+45.7%") in their own columns.
void drawSheet(Screen& screen, QSize size, const ScreenTexts& t)
{
    screen.image = blank(size, screen.scale, Qt::white);
    Canvas canvas(screen.image, screen.scale, screen);
    QPainter& p = canvas.painter();
    const QFont cell = fontFor(screen.language, 13);
    drawFormulaBar(canvas, size, cell, t.keyRows[0][3]);

    const qreal colWidth = std::floor((size.width() - kSheetRowHeader) / 4);
    const int rows = int(t.keyRows.size()) + 1;
    // The selected cell, the one the formula bar shows.
    p.fillRect(QRectF(kSheetRowHeader + 3 * colWidth, kSheetTop + kSheetRowHeight * 2, colWidth, kSheetRowHeight),
               QColor(220, 232, 250));
    drawSheetGrid(canvas, size, colWidth, rows, QColor(208, 208, 208), cell);
    for (int r = 0; r < rows; ++r) {
        const qreal y = kSheetTop + (r + 1) * kSheetRowHeight;
        canvas.text(QString::number(r + 1), QRectF(0, y, kSheetRowHeader, kSheetRowHeight), Qt::AlignHCenter, cell,
                    QColor(90, 90, 90));
        const QStringList& values = r == 0 ? t.keyHeaders : t.keyRows[r - 1];
        for (int c = 0; c < 4; ++c) {
            QColor ink(25, 25, 25);
            if (r > 0 && c == 3)
                ink = values[c].startsWith(QLatin1Char('-')) ? QColor(200, 40, 40) : QColor(20, 130, 60);
            canvas.text(values[c], QRectF(kSheetRowHeader + c * colWidth + 5, y, colWidth - 10, kSheetRowHeight),
                        r > 0 && c >= 2 ? Qt::AlignRight : Qt::AlignLeft, styled(cell, r == 0), ink);
        }
    }
}

// A desktop of overlapping windows: the news page, a terminal over its
// lower right corner, the settings window with its menu open, and the
// spreadsheet. Each window reads whole: the news, the terminal on it, the
// settings, the spreadsheet.
void drawWorkspace(Screen& screen, const ScreenTexts& t)
{
    const double s = screen.scale;
    screen.image = blank(QSize(1920, 1080), s, Qt::black);
    Canvas canvas(screen.image, s, screen);
    QPainter& p = canvas.painter();
    QLinearGradient wallpaper(QPointF(0, 0), QPointF(1920, 1080));
    wallpaper.setColorAt(0, QColor(28, 92, 96));
    wallpaper.setColorAt(1, QColor(40, 44, 90));
    p.fillRect(QRectF(0, 0, 1920, 1080), wallpaper);
    p.fillRect(QRectF(0, 0, 1920, 28), QColor(22, 22, 24));
    const QFont bar = fontFor(screen.language, 13);
    canvas.text(t.panel[0], QPointF(14, 6), bar, QColor(235, 235, 235));
    canvas.text(t.panel[1], QRectF(1700, 0, 205, 28), Qt::AlignRight, bar, QColor(235, 235, 235));

    struct Window {
        QRect frame;
        ScreenKind kind;
        int read;  // its place in reading order
    };
    std::vector<Window> windows = {{QRect(24, 44, 1000, 700), ScreenKind::Columns, 1},
                                   {QRect(1048, 44, 848, 500), ScreenKind::Menu, 3},
                                   {QRect(1304, 568, 592, 330), ScreenKind::Sheet, 4},
                                   {QRect(520, 610, 760, 446), ScreenKind::Shell, 2}};  // bottom to top
    for (Window& w : windows) {
        if (w.kind == ScreenKind::Shell) {
            // The terminal's top edge falls between two lines of the news
            // page's right column: no line shows only in part.
            int top = int(w.frame.bottom() * s);
            for (const ReferenceLine& l : screen.lines)
                if (l.window == 1 && l.box.left() > 540 * s && l.box.top() > 560 * s) top = std::min(top, l.box.top());
            w.frame.setTop(int(top / s) - 4);
        }
        // What the window covers of those below it is no longer on the screen.
        dropCovered(screen, 2, QRectF(QPointF(w.frame.topLeft()) * s, QSizeF(w.frame.size()) * s).toAlignedRect());
        drawWindow(canvas, screen, w.frame, t.moreTitles[int(w.kind) - int(ScreenKind::Columns)], w.kind, w.read, t);
    }
    std::stable_sort(screen.lines.begin(), screen.lines.end(),
                     [](const ReferenceLine& a, const ReferenceLine& b) { return a.window < b.window; });
}

}  // namespace klipo::test
