#pragma once

// What the screen drawings share: fonts, a canvas that writes down every line
// of text it draws, and the drawings of each kind of screen.
#include "ScreenFixtures.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

#include <cmath>
#include <utility>

namespace klipo::test {

inline QFont fontFor(ScreenLanguage language, int pixelSize, bool mono = false, bool serif = false)
{
    const QString family = isCjk(language) ? QStringLiteral("WenQuanYi Micro Hei")
                                           : QString::fromLatin1(serif && !mono ? "DejaVu Serif" : "DejaVu Sans");
    QFont font;
    font.setFamilies({mono ? family + QStringLiteral(" Mono") : family});
    font.setPixelSize(pixelSize);
    return font;
}

inline QFont styled(QFont font, bool bold, bool italic = false)
{
    if (bold) font.setBold(true);
    if (italic) font.setItalic(true);
    return font;
}

// Draws in logical pixels on an image `scale` times as large and writes down
// every line of text it draws.
class Canvas {
public:
    Canvas(QImage& image, double scale, Screen& screen) : m_painter(&image), m_scale(scale), m_screen(screen)
    {
        m_painter.setRenderHint(QPainter::Antialiasing);
        m_painter.setRenderHint(QPainter::TextAntialiasing);
        m_painter.scale(scale, scale);
    }

    QPainter& painter() { return m_painter; }
    // The window and part the lines drawn from now on belong to.
    void place(int window, int part)
    {
        m_window = window;
        m_part = part;
    }
    int newUnit(int count = 1) { return std::exchange(m_unit, m_unit + count); }

    // Draws `text` with its top-left corner at `topLeft`, as a unit of its own unless told.
    void text(const QString& text, QPointF topLeft, const QFont& font, const QColor& color, int unit = -1)
    {
        m_painter.setFont(font);
        m_painter.setPen(color);
        const QFontMetricsF metrics(font);
        m_painter.drawText(topLeft + QPointF(0, metrics.ascent()), text);
        note(text, QRectF(topLeft, QSizeF(metrics.horizontalAdvance(text), metrics.height())),
             unit < 0 ? newUnit() : unit);
    }

    // Draws `text` aligned inside `area`.
    void text(const QString& text, const QRectF& area, Qt::Alignment alignment, const QFont& font, const QColor& color,
              int unit = -1)
    {
        const QFontMetricsF metrics(font);
        const QSizeF size(metrics.horizontalAdvance(text), metrics.height());
        QPointF at(area.left(), area.top() + (area.height() - size.height()) / 2);
        if (alignment & Qt::AlignRight) at.setX(area.right() - size.width());
        if (alignment & Qt::AlignHCenter) at.setX(area.center().x() - size.width() / 2);
        this->text(text, at, font, color, unit);
    }

    void note(const QString& text, const QRectF& logical, int unit)
    {
        const QRectF px(logical.topLeft() * m_scale, logical.size() * m_scale);
        m_screen.lines.push_back({text, px.toAlignedRect(), unit, m_window, m_part});
    }

private:
    QPainter m_painter;
    double m_scale;
    Screen& m_screen;
    int m_unit = 0;
    int m_window = 0;
    int m_part = 0;
};

inline QImage blank(QSize logical, double scale, const QColor& fill)
{
    QImage image(QSize(int(logical.width() * scale), int(logical.height() * scale)), QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

// Lays out a paragraph for a column `width` wide; returns the height it takes.
inline qreal layOut(QTextLayout& layout, qreal width)
{
    layout.beginLayout();
    const qreal leading = QFontMetricsF(layout.font()).height() * 0.35;
    qreal y = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height() + leading;
    }
    layout.endLayout();
    return y;
}

// Draws a paragraph laid out for a column `width` wide at `topLeft`, each of
// its lines noted as part of `unit`; returns the height it takes.
inline qreal drawParagraph(Canvas& canvas, const QString& text, QPointF topLeft, qreal width, const QFont& font,
                           const QColor& color, int unit)
{
    QTextLayout layout(text, font);
    const qreal height = layOut(layout, width);
    canvas.painter().setPen(color);
    layout.draw(&canvas.painter(), topLeft);
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        canvas.note(text.mid(line.textStart(), line.textLength()).trimmed(), line.naturalTextRect().translated(topLeft),
                    unit);
    }
    return height;
}

// A spreadsheet's formula bar across the top, holding `content`.
inline void drawFormulaBar(Canvas& canvas, QSize size, const QFont& cell, const QString& content)
{
    QPainter& p = canvas.painter();
    p.fillRect(QRectF(0, 0, size.width(), 30), QColor(248, 248, 248));
    p.setPen(QColor(200, 200, 200));
    p.drawLine(QPointF(0, 30.5), QPointF(size.width(), 30.5));
    canvas.text(QStringLiteral("fx"), QPointF(10, 7), styled(cell, false, true), QColor(90, 90, 90));
    p.drawLine(QPointF(36.5, 4), QPointF(36.5, 26));
    canvas.text(content, QPointF(46, 7), cell, QColor(30, 30, 30));
}

// A spreadsheet's grid under its formula bar: a shaded header row of column
// letters and a shaded column of row numbers beside `rows` rows of four
// cells `colWidth` wide, ruled in `rule`.
constexpr qreal kSheetTop = 40, kSheetRowHeader = 36, kSheetRowHeight = 26;
inline void drawSheetGrid(Canvas& canvas, QSize size, qreal colWidth, int rows, const QColor& rule, const QFont& font)
{
    QPainter& p = canvas.painter();
    p.fillRect(QRectF(0, kSheetTop, size.width(), kSheetRowHeight), QColor(238, 238, 238));
    p.fillRect(QRectF(0, kSheetTop, kSheetRowHeader, kSheetRowHeight * (rows + 1)), QColor(238, 238, 238));
    p.setPen(rule);
    for (int r = 0; r <= rows + 1; ++r) {
        const qreal y = kSheetTop + r * kSheetRowHeight + 0.5;
        p.drawLine(QPointF(0, y), QPointF(size.width(), y));
    }
    for (int c = 0; c <= 4; ++c) {
        const qreal x = std::floor(kSheetRowHeader + c * colWidth) + 0.5;
        p.drawLine(QPointF(x, kSheetTop), QPointF(x, kSheetTop + kSheetRowHeight * (rows + 1)));
    }
    for (int c = 0; c < 4; ++c)
        canvas.text(QString(QChar('A' + c)),
                    QRectF(kSheetRowHeader + c * colWidth, kSheetTop, colWidth, kSheetRowHeight), Qt::AlignHCenter,
                    font, QColor(90, 90, 90));
}

// The busier screens: a two-column article under a large headline, an open
// menu over a settings window, a terminal with a listing, a spreadsheet of
// shortcuts, and a desktop of overlapping windows holding them.
void drawColumns(Screen& screen, QSize size, const ScreenTexts& t);
void drawMenu(Screen& screen, QSize size, const ScreenTexts& t);
void drawShell(Screen& screen, QSize size, const ScreenTexts& t);
void drawSheet(Screen& screen, QSize size, const ScreenTexts& t);
void drawWorkspace(Screen& screen, const ScreenTexts& t);

// Draws the content of a screen of `kind` (not a desktop) at `size`.
void drawContent(Screen& screen, ScreenKind kind, QSize size, const ScreenTexts& t);

// A window with a title bar at `frame` (logical pixels) on a desktop canvas,
// holding a screen of `kind`; its lines are noted as window `window`.
void drawWindow(Canvas& canvas, Screen& screen, const QRect& frame, const QString& title, ScreenKind kind, int window,
                const ScreenTexts& t);

}  // namespace klipo::test
