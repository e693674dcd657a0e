#pragma once

// What the generated screens are drawn with: a seeded source of choices, the
// fonts and colours of a theme, and drawing helpers that note every line of
// text drawn with the window and part it belongs to.
#include "ScreenCanvas.h"
#include "corpus/CorpusTexts.h"

#include <memory>
#include <random>

namespace klipo::test {

// The colours of one program's look.
struct Theme {
    bool dark = false;
    QColor page;      // the main background
    QColor panel;     // sidebars, bars, headers
    QColor ink;       // text
    QColor faint;     // secondary text, still readable
    QColor accent;    // links, selection, primary buttons
    QColor onAccent;  // text on the accent
    QColor rule;      // borders and separators
};

// What lies on top of earlier lines (a window, an open menu): the lines
// drawn before it under its rectangle are hidden.
struct Cover {
    QRect px;
    size_t from = 0;  // lines drawn before this one lie under it
};

enum class IconKind {
    Circle,
    Square,
    Folder,
    Document,
    Gear,
    Back,
    Forward,
    Reload,
    Star,
    Search,
    Menu,
    Close,
    Plus,
    Minimise,
    Maximise,
    Bell,
    Avatar,
    Up,
    Down,
    Send,
    Heart,
    Count
};

class Composer {
public:
    explicit Composer(quint32 seed);

    // Choices.
    int below(int n) { return n <= 1 ? 0 : std::uniform_int_distribution<int>(0, n - 1)(m_rng); }
    double between(double a, double b) { return std::uniform_real_distribution<double>(a, b)(m_rng); }
    bool chance(double p) { return between(0, 1) < p; }
    const QString& any(const QStringList& list) { return list[below(int(list.size()))]; }

    // Texts of the screen's language.
    const CorpusTexts& texts() const { return corpusTexts(screen.language); }
    bool cjk() const { return isCjk(screen.language); }
    QString sentence() { return any(texts().sentences); }
    QString sentences(int n);
    QString word() { return any(texts().words); }
    QString name() { return any(texts().names); }
    QString fileName();
    QString date();
    QString time();
    QString number(int from, int to) { return QString::number(from + below(to - from + 1)); }
    QString price();
    QString hash(int length);

    // Fonts: a family of the role (sans, serif, mono), the same for the whole program.
    enum class Role { Sans, Serif, Mono };
    QFont font(Role role, double px, bool bold = false, bool italic = false) const;
    void chooseFamilies();

    // Colours.
    Theme theme(bool dark);
    static double contrast(const QColor& a, const QColor& b);
    // A colour of the hue that reads on `background` with at least `ratio`.
    QColor readable(const QColor& background, double ratio, double hue, double saturation);

    // Drawing, in logical pixels, the lines noted as the current window's current part.
    void newPart() { canvas->place(m_window, ++m_part); }
    void newWindow(int window)
    {
        m_window = window;
        m_part = 0;
        canvas->place(window, 0);
    }
    QPainter& painter() { return canvas->painter(); }
    // One line of text, its top-left at `at`; returns its width. `unit` -1: a unit of its own.
    qreal text(const QString& text, QPointF at, const QFont& font, const QColor& color, int unit = -1);
    qreal text(const QString& text, const QRectF& area, Qt::Alignment alignment, const QFont& font, const QColor& color,
               int unit = -1);
    // The longest start of `text` (whole words, or characters in Chinese) that fits `width`.
    QString fit(const QString& text, const QFont& font, qreal width) const;
    // The width the text would take drawn into an area `width` wide (0 when nothing of it fits), for
    // placing what stands left of it before drawing it.
    qreal fittedWidth(const QString& text, const QFont& font, qreal width) const;
    // A paragraph wrapped to `width`, its lines one unit; returns its height.
    qreal paragraph(const QString& text, QPointF at, qreal width, const QFont& font, const QColor& color,
                    qreal leading = 0.35);
    void icon(const QRectF& r, IconKind kind, const QColor& color);
    void randomIcon(const QRectF& r, const QColor& color) { icon(r, IconKind(below(int(IconKind::Count))), color); }
    // A photograph-like drawing without any text in it.
    void picture(const QRectF& r);
    // A small rounded label; returns its width.
    qreal badge(const QString& text, QPointF at, const QFont& font, const QColor& background, const QColor& ink);
    void box(const QRectF& r, const QColor& fill, const QColor& border, qreal radius = 0);
    void hline(qreal x1, qreal x2, qreal y, const QColor& color);
    void vline(qreal x, qreal y1, qreal y2, const QColor& color);
    void cover(const QRectF& logical);

    Screen screen;
    std::unique_ptr<Canvas> canvas;
    std::vector<Cover> covers;

private:
    std::mt19937 m_rng;
    int m_window = 0;
    int m_part = 0;
    QString m_families[3];
};

// Programs drawn inside a window's content area (CorpusPrograms.cpp); each
// picks its own theme and parts. Returns a short name of what it drew.
QString drawProgram(Composer& c, const QRectF& area);

}  // namespace klipo::test
