// The programs of the generated screens: a browser (news article, forum,
// shop), a file manager, a code editor, a terminal, a chat, a settings
// window with an open menu, a mail client and a table.
#include "corpus/Composer.h"

#include <cmath>

namespace klipo::test {

namespace {

using Role = Composer::Role;
constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignVCenter;

qreal lineHeight(const QFont& f) { return QFontMetricsF(f).height(); }

// A row of differently coloured runs drawn as one line of text.
void runs(Composer& c, const std::vector<std::pair<QString, QColor>>& parts, QPointF at, const QFont& font,
          qreal maxWidth, int unit = -1)
{
    const QFontMetricsF m(font);
    QString all;
    qreal x = at.x();
    QPainter& p = c.painter();
    p.setFont(font);
    for (const auto& [text, color] : parts) {
        QString piece = text;
        while (!piece.isEmpty() && x - at.x() + m.horizontalAdvance(piece) > maxWidth) piece.chop(1);
        if (piece.isEmpty()) break;
        p.setPen(color);
        p.drawText(QPointF(x, at.y() + m.ascent()), piece);
        x += m.horizontalAdvance(piece);
        all += piece;
        if (piece.size() < text.size()) break;
    }
    const QString trimmed = all.trimmed();
    if (trimmed.size() < 2) return;
    const qsizetype start = all.indexOf(trimmed);
    const qreal left = m.horizontalAdvance(all.left(start));
    c.canvas->note(trimmed, QRectF(at.x() + left, at.y(), m.horizontalAdvance(trimmed), m.height()),
                   unit < 0 ? c.canvas->newUnit() : unit);
}

// Paragraph lines laid out for a column, for flowing over several columns.
struct FlowLine {
    QString text;
    qreal height = 0;
    qreal gapAfter = 0;
    int unit = 0;
};

std::vector<FlowLine> layOutParagraphs(Composer& c, const QStringList& paragraphs, const QFont& font, qreal width,
                                       qreal leading, qreal paragraphGap)
{
    std::vector<FlowLine> out;
    for (const QString& text : paragraphs) {
        QTextLayout layout(text, font);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) line.setLineWidth(width);
        layout.endLayout();
        const int unit = c.canvas->newUnit();
        for (int i = 0; i < layout.lineCount(); ++i) {
            const QTextLine line = layout.lineAt(i);
            out.push_back({text.mid(line.textStart(), line.textLength()).trimmed(), line.height(),
                           line.height() * leading, unit});
        }
        if (!out.empty()) out.back().gapAfter = paragraphGap;
    }
    return out;
}

// Flows lines over `columns` columns of `area` as a browser balances CSS
// columns: each column about as tall as the others, a paragraph going on at
// the top of the next. Returns the bottom reached.
qreal flow(Composer& c, const std::vector<FlowLine>& lines, const QRectF& area, int columns, qreal gutter,
           const QFont& font, const QColor& color)
{
    qreal total = 0;
    for (const FlowLine& l : lines) total += l.height + l.gapAfter;
    const qreal target = std::min(area.height(), total / columns + lines.front().height);
    const qreal width = (area.width() - gutter * (columns - 1)) / columns;
    const QFontMetricsF m(font);
    c.painter().setFont(font);
    c.painter().setPen(color);
    int column = 0;
    qreal y = 0;
    qreal bottom = area.top();
    for (const FlowLine& l : lines) {
        if (y + l.height > target && y > 0) {
            if (++column >= columns) break;
            y = 0;
        }
        if (y == 0 && l.text.isEmpty()) continue;
        const QPointF at(area.left() + column * (width + gutter), area.top() + y);
        c.painter().drawText(at + QPointF(0, m.ascent()), l.text);
        if (l.text.size() >= 2)
            c.canvas->note(l.text, QRectF(at, QSizeF(m.horizontalAdvance(l.text), m.height())), l.unit);
        y += l.height + l.gapAfter;
        bottom = std::max(bottom, area.top() + y);
    }
    return bottom;
}

QString site(Composer& c)
{
    static const QStringList sites = {"www.dailynews.com",      "noticias.example.es", "www.lemonde-local.fr",
                                      "nachrichten.example.de", "news.example.cn",     "forum.example.org",
                                      "shop.example.com",       "docs.example.io"};
    return c.any(sites);
}

QString url(Composer& c)
{
    static const QStringList dirs = {"es", "en", "news", "2024/03", "world", "tech", "forum/t", "products"};
    static const QStringList files = {"es_news.html", "index.html",      "article-4821.html", "city_plan.html",
                                      "post_1192",    "summer-festival", "item?id=8812",      "report.pdf"};
    return QStringLiteral("https://") + site(c) + QLatin1Char('/') + c.any(dirs) + QLatin1Char('/') + c.any(files);
}

// A site's name and its navigation links, ruled off below. Returns the bottom.
qreal siteHeader(Composer& c, const QRectF& a, const Theme& t)
{
    c.newPart();
    const QFont logo = c.font(c.chance(0.5) ? Role::Serif : Role::Sans, c.between(18, 26), true);
    qreal x = a.left() + 16;
    if (c.chance(0.4)) {
        c.icon(QRectF(x, a.top() + 12, 26, 26), c.chance(0.5) ? IconKind::Circle : IconKind::Square, t.accent);
        x += 34;
    }
    const QStringList names = {"Daily", "Gazette", "Courier", "Tribune", "Observer", "Journal"};
    const QString siteName = c.cjk() ? QStringLiteral("城市日报") : c.any(names) + QLatin1Char(' ') + c.any(names);
    x += c.text(siteName, QPointF(x, a.top() + 12), logo, c.chance(0.5) ? t.accent : t.ink) + 32;
    const QFont nav = c.font(Role::Sans, c.between(12, 15));
    for (int i = 0, n = 3 + c.below(4); i < n; ++i) {
        const QString w = c.word();
        if (x + QFontMetricsF(nav).horizontalAdvance(w) > a.right() - 50) break;
        x += c.text(w, QPointF(x, a.top() + 12 + (lineHeight(logo) - lineHeight(nav)) / 2), nav,
                    c.chance(0.7) ? t.ink : t.faint) +
             c.between(18, 30);
    }
    c.icon(QRectF(a.right() - 36, a.top() + 14, 20, 20), IconKind::Search, t.faint);
    const qreal bottom = a.top() + lineHeight(logo) + 24;
    if (c.chance(0.7)) c.hline(a.left(), a.right(), bottom, t.rule);
    return bottom + 8;
}

// A sidebar of links (with thumbnails, dates, badges) or of prose.
void sidebar(Composer& c, const QRectF& s, const Theme& t)
{
    c.newPart();
    if (c.chance(0.4)) c.box(s.adjusted(-10, -8, 10, 0), t.panel, c.chance(0.5) ? t.rule : QColor(), 4);
    qreal y = s.top();
    const QFont head = c.font(Role::Sans, c.between(15, 19), true);
    y += c.text(c.word(), QPointF(s.left(), y), head, t.ink) > 0 ? lineHeight(head) + 10 : 0;
    const QFont item = c.font(c.chance(0.7) ? Role::Sans : Role::Serif, c.between(13, 16), c.chance(0.3));
    const QFont small = c.font(Role::Sans, c.between(11, 13));
    const bool thumbs = c.chance(0.4);
    const bool rules = c.chance(0.5);
    const bool numbered = !thumbs && c.chance(0.3);
    const QColor linkColour = c.chance(0.5) ? t.accent : t.ink;
    for (int i = 0; y + 60 < s.bottom(); ++i) {
        qreal x = s.left();
        if (thumbs) {
            c.picture(QRectF(x, y + 2, 56, 42));
            x += 66;
        }
        if (numbered) {
            c.text(QString::number(i + 1), QPointF(x, y), c.font(Role::Sans, item.pixelSize() * 1.4, true), t.faint);
            x += item.pixelSize() * 1.6;
        }
        const QString title = c.fit(c.sentence(), item, (s.right() - x) * 1.9);
        qreal h = c.paragraph(title, QPointF(x, y), s.right() - x, item, linkColour, 0.25);
        if (c.chance(0.5)) {
            qreal bx = x;
            if (c.chance(0.3))
                bx += c.badge(c.word(), QPointF(bx, y + h), small, c.readable(Qt::white, 4.5, c.between(0, 1), 0.8),
                              Qt::white) +
                      8;
            c.text(c.date(), QPointF(bx, y + h + 1), small, t.faint);
            h += lineHeight(small) * 1.3;
        }
        y += std::max(h, thumbs ? 48.0 : 0.0) + c.between(10, 18);
        if (rules) c.hline(s.left(), s.right(), y - 6, t.rule);
    }
}

QString articlePage(Composer& c, const QRectF& a, const Theme& t)
{
    qreal top = c.chance(0.75) ? siteHeader(c, a, t) : a.top() + 16;
    const bool side = a.width() > 720 && c.chance(0.65);
    const qreal sideWidth = side ? c.between(200, 300) : 0;
    const bool sideLeft = c.chance(0.35);
    const qreal gap = c.between(28, 56);
    const qreal margin = c.between(16, 48);
    QRectF main(a.left() + margin, top + 8, a.width() - 2 * margin - (side ? sideWidth + gap : 0), 0);
    main.setBottom(a.bottom() - 10);
    if (side && sideLeft) main.moveLeft(main.left() + sideWidth + gap);
    const QRectF sideArea(sideLeft ? a.left() + margin : main.right() + gap, top + 14, sideWidth,
                          a.bottom() - top - 30);
    const bool sideFirst = sideLeft && c.chance(0.5);
    if (side && sideFirst) sidebar(c, sideArea, t);

    c.newPart();
    const Role bodyRole = c.chance(0.5) ? Role::Serif : Role::Sans;
    const QFont head = c.font(c.chance(0.6) ? Role::Serif : Role::Sans, c.between(22, 34), true);
    qreal y = main.top();
    y += c.paragraph(c.any(c.texts().headlines), QPointF(main.left(), y), main.width(), head, t.ink, 0.15) + 4;
    const QFont small = c.font(Role::Sans, c.between(11, 14));
    if (c.chance(0.8)) {
        c.text(c.name() + QStringLiteral(" · ") + c.date(), QPointF(main.left(), y), small, t.faint);
        y += lineHeight(small) + 14;
    }
    if (c.chance(0.35) && main.bottom() - y > 320) {
        const qreal h = c.between(110, 200);
        const qreal w = main.width() * c.between(0.5, 1);
        c.picture(QRectF(main.left(), y, w, h));
        y += h + 6;
        y += c.paragraph(c.sentence(), QPointF(main.left(), y), w, c.font(Role::Sans, c.between(11, 13), false, true),
                         t.faint, 0.2) +
             12;
    }
    const int maxColumns = main.width() > 900 ? 3 : main.width() > 560 ? 2 : 1;
    const int columns = 1 + c.below(maxColumns);
    const QFont body = c.font(bodyRole, c.between(13, 18));
    const qreal gutter = c.between(14, 40);
    const qreal leading = c.between(0.2, 0.6);
    const qreal paraGap = lineHeight(body) * c.between(0.4, 1.4);
    QStringList paragraphs;
    for (int i = 0; i < 14; ++i) paragraphs << c.sentences(1 + c.below(3));
    const qreal width = (main.width() - gutter * (columns - 1)) / columns;
    if (main.bottom() - y > 3 * lineHeight(body)) {
        const auto lines = layOutParagraphs(c, paragraphs, body, width, leading, paraGap);
        flow(c, lines, QRectF(main.left(), y, main.width(), main.bottom() - y), columns, gutter, body, t.ink);
    }
    if (side && !sideFirst) sidebar(c, sideArea, t);
    return QStringLiteral("article %1col%2").arg(columns).arg(side ? (sideLeft ? "+left" : "+right") : "");
}

QString forumPage(Composer& c, const QRectF& a, const Theme& t)
{
    const qreal top = siteHeader(c, a, t);
    const bool side = a.width() > 760 && c.chance(0.5);
    const qreal sideWidth = side ? c.between(220, 280) : 0;
    const QRectF list(a.left() + 16, top + 8, a.width() - 32 - (side ? sideWidth + 32 : 0), a.bottom() - top - 16);
    const QFont title = c.font(Role::Sans, c.between(14, 17), c.chance(0.6));
    const QFont meta = c.font(Role::Sans, c.between(11, 13));
    const QFont votes = c.font(Role::Sans, c.between(12, 15), true);
    const QColor titleColour = c.chance(0.5) ? t.accent : t.ink;
    qreal y = list.top();
    while (y + 70 < list.bottom()) {
        c.newPart();
        const QRectF voteBox(list.left(), y, 44, 0);
        c.icon(QRectF(voteBox.left() + 12, y, 18, 14), IconKind::Up, t.faint);
        c.text(QString::number(c.below(5000)), QRectF(voteBox.left(), y + 15, 44, lineHeight(votes)), Qt::AlignHCenter,
               votes, c.chance(0.5) ? t.accent : t.ink);
        c.icon(QRectF(voteBox.left() + 12, y + 17 + lineHeight(votes), 18, 14), IconKind::Down, t.faint);
        qreal x = list.left() + 56;
        if (c.chance(0.3)) {
            c.picture(QRectF(x, y, 64, 48));
            x += 76;
        }
        qreal h = c.paragraph(c.fit(c.sentence(), title, (list.right() - x) * 1.8), QPointF(x, y + 2), list.right() - x,
                              title, titleColour, 0.2);
        qreal mx = x;
        if (c.chance(0.3))
            mx += c.badge(c.word(), QPointF(mx, y + h + 4), meta, QColor::fromHslF(float(c.between(0, 1)), 0.7f, 0.35f),
                          Qt::white) +
                  8;
        c.text(c.fit(c.name() + QStringLiteral(" · ") + c.number(1, 23) + QStringLiteral(" h · ") + c.number(2, 900) +
                         QLatin1Char(' ') + c.word(),
                     meta, list.right() - mx),
               QPointF(mx, y + h + 5), meta, t.faint);
        h += lineHeight(meta) + 10;
        y += std::max(h, 64.0) + 8;
        c.hline(list.left(), list.right(), y - 6, t.rule);
    }
    if (side) {
        c.newPart();
        const QRectF s(list.right() + 32, top + 12, sideWidth, a.bottom() - top - 40);
        c.box(s.adjusted(-12, -10, 12, 0), t.panel, t.rule, 6);
        const QFont head = c.font(Role::Sans, 15, true);
        c.text(c.word(), QPointF(s.left(), s.top()), head, t.ink);
        c.paragraph(c.sentences(3), QPointF(s.left(), s.top() + lineHeight(head) + 8), s.width(),
                    c.font(Role::Sans, c.between(12, 14)), t.ink, 0.3);
    }
    return QStringLiteral("forum");
}

QString shopPage(Composer& c, const QRectF& a, const Theme& t)
{
    const qreal top = siteHeader(c, a, t);
    const int columns = std::max(1, int(a.width() / c.between(200, 260)));
    const qreal gap = 18;
    const qreal w = (a.width() - 32 - gap * (columns - 1)) / columns;
    const QFont name = c.font(Role::Sans, c.between(13, 15));
    const QFont price = c.font(Role::Sans, c.between(15, 18), true);
    const QFont small = c.font(Role::Sans, c.between(11, 13), true);
    const qreal pictureHeight = w * c.between(0.5, 0.75);
    const qreal h = pictureHeight + 3 * lineHeight(name) + lineHeight(price) + 56;
    for (qreal y = top + 12; y + h < a.bottom(); y += h + gap) {
        for (int col = 0; col < columns; ++col) {
            c.newPart();
            const QRectF card(a.left() + 16 + col * (w + gap), y, w, h);
            c.box(card, t.page, t.rule, 6);
            c.picture(QRectF(card.left() + 8, card.top() + 8, w - 16, pictureHeight));
            if (c.chance(0.4)) {
                const QColor bg = c.chance(0.5) ? QColor(200, 30, 40) : QColor(30, 140, 60);
                c.badge(c.chance(0.5) ? QStringLiteral("-%1%").arg(10 + 5 * c.below(10)) : c.word(),
                        QPointF(card.left() + 14, card.top() + 14), small, bg, Qt::white);
            }
            qreal yy = card.top() + pictureHeight + 16;
            yy +=
                std::min(2.4 * lineHeight(name), c.paragraph(c.fit(c.sentence(), name, (w - 20) * 1.9),
                                                             QPointF(card.left() + 10, yy), w - 20, name, t.ink, 0.2)) +
                6;
            const qreal pw = c.text(c.price(), QPointF(card.left() + 10, yy), price, c.chance(0.5) ? t.accent : t.ink);
            if (c.chance(0.4))
                c.text(c.price(), QPointF(card.left() + 22 + pw, yy + 3), c.font(Role::Sans, 12), t.faint);
            const QRectF button(card.left() + 10, card.bottom() - 36, w - 20, 28);
            c.box(button, t.accent, QColor(), 4);
            c.text(c.word(), button, Qt::AlignHCenter, c.font(Role::Sans, 13, true), t.onAccent);
        }
    }
    return QStringLiteral("shop");
}

QString browser(Composer& c, const QRectF& a)
{
    const Theme chrome = c.theme(c.chance(0.25));
    const Theme page = c.theme(c.chance(0.15));
    c.newPart();
    c.box(QRectF(a.left(), a.top(), a.width(), 78), chrome.panel, QColor());
    const QFont ui = c.font(Role::Sans, c.between(12, 14));
    const int tabs = 1 + c.below(4);
    const qreal tabWidth = std::min(220.0, (a.width() - 60) / tabs);
    qreal x = a.left() + 8;
    for (int i = 0; i < tabs; ++i) {
        const QRectF tab(x, a.top() + 6, tabWidth - 4, 30);
        c.box(tab, i == 0 ? chrome.page : chrome.panel.darker(106), QColor(), 6);
        c.randomIcon(QRectF(tab.left() + 8, tab.top() + 8, 14, 14), chrome.accent);
        c.text(c.chance(0.5) ? c.any(c.texts().headlines) : c.word(),
               QRectF(tab.left() + 28, tab.top(), tabWidth - 62, 30), kLeft, ui, chrome.ink);
        c.icon(QRectF(tab.right() - 22, tab.top() + 9, 12, 12), IconKind::Close, chrome.faint);
        x += tabWidth;
    }
    c.icon(QRectF(x + 4, a.top() + 13, 16, 16), IconKind::Plus, chrome.faint);
    const qreal bar = a.top() + 42;
    c.box(QRectF(a.left(), bar - 2, a.width(), 38), chrome.page, QColor());
    int i = 0;
    for (IconKind k : {IconKind::Back, IconKind::Forward, IconKind::Reload})
        c.icon(QRectF(a.left() + 10 + 28 * i++, bar + 6, 20, 20), k, chrome.faint);
    const QRectF field(a.left() + 100, bar + 3, a.width() - 160, 28);
    c.box(field, chrome.panel, QColor(), 14);
    c.text(url(c), field.adjusted(14, 0, -14, 0), kLeft, ui, chrome.ink);
    c.icon(QRectF(a.right() - 50, bar + 6, 20, 20), IconKind::Star, chrome.faint);
    c.icon(QRectF(a.right() - 26, bar + 6, 20, 20), IconKind::Menu, chrome.faint);
    c.hline(a.left(), a.right(), a.top() + 78, chrome.rule);
    const QRectF content(a.left(), a.top() + 79, a.width(), a.height() - 79);
    c.box(content, page.page, QColor());
    switch (c.below(4)) {
    case 0:
    case 1: return QStringLiteral("browser ") + articlePage(c, content, page);
    case 2: return QStringLiteral("browser ") + forumPage(c, content, page);
    default: return QStringLiteral("browser ") + shopPage(c, content, page);
    }
}

// A list of places or sections, one selected; returns nothing.
void sectionList(Composer& c, const QRectF& s, const Theme& t, bool icons)
{
    c.newPart();
    c.box(s, t.panel, QColor());
    c.vline(s.right(), s.top(), s.bottom(), t.rule);
    const QFont f = c.font(Role::Sans, c.between(12, 15));
    const int selected = c.below(5);
    const bool strong = c.chance(0.5);
    qreal y = s.top() + 10;
    for (int i = 0; y + 30 < s.bottom(); ++i, y += lineHeight(f) + c.between(10, 14)) {
        QColor ink = t.ink;
        if (i == selected) {
            const QRectF row(s.left() + 4, y - 4, s.width() - 8, lineHeight(f) + 8);
            c.box(row, strong ? t.accent : t.panel.darker(112), QColor(), 4);
            if (strong) ink = t.onAccent;
        }
        qreal x = s.left() + 12;
        if (icons) {
            c.icon(QRectF(x, y, lineHeight(f), lineHeight(f)), i % 3 ? IconKind::Folder : IconKind::Document,
                   i == selected && strong ? ink : t.accent);
            x += lineHeight(f) + 8;
        }
        c.text(c.word(), QRectF(x, y, s.right() - x - 8, lineHeight(f)), kLeft, f, ink);
        if (c.chance(0.2))
            c.badge(c.number(1, 99), QPointF(s.right() - 36, y), c.font(Role::Sans, 11, true), t.accent, t.onAccent);
    }
}

QString files(Composer& c, const QRectF& a)
{
    const Theme t = c.theme(c.chance(0.3));
    c.box(a, t.page, QColor());
    c.newPart();
    c.box(QRectF(a.left(), a.top(), a.width(), 40), t.panel, QColor());
    c.icon(QRectF(a.left() + 10, a.top() + 10, 20, 20), IconKind::Back, t.faint);
    c.icon(QRectF(a.left() + 38, a.top() + 10, 20, 20), IconKind::Forward, t.faint);
    const QFont ui = c.font(Role::Sans, c.between(12, 15));
    c.text(QStringLiteral("~ / ") + c.word() + QStringLiteral(" / ") + c.word(),
           QRectF(a.left() + 72, a.top(), a.width() - 140, 40), kLeft, ui, t.ink);
    c.icon(QRectF(a.right() - 32, a.top() + 10, 20, 20), IconKind::Search, t.faint);
    c.hline(a.left(), a.right(), a.top() + 40, t.rule);
    const qreal sideWidth = c.between(150, 220);
    sectionList(c, QRectF(a.left(), a.top() + 41, sideWidth, a.height() - 41), t, true);
    const QRectF main(a.left() + sideWidth + 1, a.top() + 41, a.width() - sideWidth - 1, a.height() - 41);
    if (c.chance(0.6)) {
        c.newPart();
        const qreal rowHeight = lineHeight(ui) + c.between(8, 14);
        const qreal nameWidth = main.width() * 0.5;
        const qreal sizeX = main.left() + 12 + nameWidth;
        const qreal dateX = sizeX + main.width() * 0.18;
        const QFont head = c.font(Role::Sans, ui.pixelSize(), true);
        qreal y = main.top() + 6;
        c.text(c.word(), QRectF(main.left() + 40, y, nameWidth - 40, rowHeight), kLeft, head, t.faint);
        c.text(c.word(), QRectF(sizeX, y, dateX - sizeX - 8, rowHeight), kLeft, head, t.faint);
        c.text(c.word(), QRectF(dateX, y, main.right() - dateX - 8, rowHeight), kLeft, head, t.faint);
        y += rowHeight;
        c.hline(main.left(), main.right(), y, t.rule);
        const bool zebra = c.chance(0.4);
        for (int r = 0; y + rowHeight < main.bottom(); ++r, y += rowHeight) {
            if (zebra && r % 2) c.box(QRectF(main.left(), y, main.width(), rowHeight), t.panel, QColor());
            const bool folder = c.chance(0.3);
            c.icon(QRectF(main.left() + 12, y + 4, rowHeight - 8, rowHeight - 8),
                   folder ? IconKind::Folder : IconKind::Document, folder ? t.accent : t.faint);
            c.text(folder ? c.word() : c.fileName(), QRectF(main.left() + 40, y, nameWidth - 40, rowHeight), kLeft, ui,
                   t.ink);
            c.text(folder ? c.number(2, 40) + QStringLiteral(" items") : c.number(1, 999) + QStringLiteral(" KB"),
                   QRectF(sizeX, y, dateX - sizeX - 8, rowHeight), kLeft, ui, t.faint);
            c.text(c.date() + QLatin1Char(' ') + c.time(), QRectF(dateX, y, main.right() - dateX - 8, rowHeight), kLeft,
                   ui, t.faint);
        }
        return QStringLiteral("files list");
    }
    const qreal cell = c.between(110, 150);
    const int columns = std::max(1, int(main.width() / cell));
    for (qreal y = main.top() + 14; y + cell < main.bottom(); y += cell) {
        for (int col = 0; col < columns; ++col) {
            c.newPart();
            const QRectF r(main.left() + col * cell, y, cell, cell);
            const bool folder = c.chance(0.4);
            c.icon(QRectF(r.center().x() - 26, r.top(), 52, 52), folder ? IconKind::Folder : IconKind::Document,
                   folder ? t.accent : t.faint);
            c.paragraph(c.fit(folder ? c.word() : c.fileName(), ui, cell * 1.8), QPointF(r.left() + 6, r.top() + 58),
                        cell - 12, ui, t.ink, 0.1);
        }
    }
    return QStringLiteral("files grid");
}

QString editor(Composer& c, const QRectF& a)
{
    const Theme t = c.theme(c.chance(0.6));
    c.box(a, t.page, QColor());
    const QFont ui = c.font(Role::Sans, c.between(12, 14));
    c.newPart();
    c.box(QRectF(a.left(), a.top(), a.width(), 34), t.panel, QColor());
    static const QStringList sources = {"main.cpp", "layout.py", "server.rs", "app.js", "utils.h", "README.md"};
    qreal x = a.left();
    for (int i = 0, n = 1 + c.below(4); i < n && x + 150 < a.right(); ++i) {
        if (i == 0) c.box(QRectF(x, a.top(), 150, 34), t.page, QColor());
        c.text(sources[(i + c.below(2)) % sources.size()], QRectF(x + 12, a.top(), 110, 34), kLeft, ui,
               i ? t.faint : t.ink);
        c.icon(QRectF(x + 128, a.top() + 12, 10, 10), IconKind::Close, t.faint);
        x += 150;
    }
    qreal left = a.left();
    if (a.width() > 700 && c.chance(0.6)) {
        c.newPart();
        const qreal w = c.between(170, 240);
        c.box(QRectF(a.left(), a.top() + 34, w, a.height() - 34), t.panel, QColor());
        qreal y = a.top() + 44;
        for (int i = 0; y + 24 < a.bottom() - 24; ++i, y += lineHeight(ui) + 8) {
            const int depth = i == 0 ? 0 : 1 + c.below(2);
            const bool folder = i == 0 || c.chance(0.3);
            c.icon(QRectF(a.left() + 10 + depth * 14, y + 1, lineHeight(ui) - 2, lineHeight(ui) - 2),
                   folder ? IconKind::Folder : IconKind::Document, folder ? t.accent : t.faint);
            c.text(folder ? c.word() : c.fileName(),
                   QRectF(a.left() + 30 + depth * 14, y, w - 40 - depth * 14, lineHeight(ui)), kLeft, ui, t.ink);
        }
        left += w;
    }
    c.newPart();
    const QFont mono = c.font(Role::Mono, c.between(12, 16));
    const qreal lh = lineHeight(mono) * c.between(1.1, 1.45);
    const QColor keyword = c.readable(t.page, 4.5, c.between(0, 1), 0.7);
    const QColor string = c.readable(t.page, 4.5, c.between(0, 1), 0.6);
    static const QStringList code = {"#include <vector>",
                                     "",
                                     "int main(int argc, char** argv) {",
                                     "    std::vector<int> values;",
                                     "    for (int i = 0; i < argc; ++i)",
                                     "        values.push_back(std::atoi(argv[i]));",
                                     "    return values.empty() ? 1 : 0;",
                                     "}",
                                     "",
                                     "def read_config(path):",
                                     "    with open(path) as f:",
                                     "        return json.load(f)",
                                     "",
                                     "fn main() {",
                                     "    let handle = tokio::spawn(async { fetch().await });",
                                     "    println!(\"done: {}\", handle.await?);",
                                     "}",
                                     "",
                                     "const total = items.reduce((a, b) => a + b, 0);",
                                     "export function render(node) {",
                                     "    return node.children.map(draw);",
                                     "}"};
    const qreal gutter = mono.pixelSize() * 3.2;
    const qreal codeBottom = a.bottom() - 26;
    int start = c.below(int(code.size()));
    const QStringList keywords = {"int",   "return", "for",      "def",   "with",  "fn",      "let",
                                  "const", "export", "function", "async", "await", "#include"};
    for (int row = 0; (row + 1) * lh + a.top() + 40 < codeBottom; ++row) {
        const qreal y = a.top() + 40 + row * lh;
        const int unit = c.canvas->newUnit();
        c.text(QString::number(row + 1), QRectF(left + 4, y, gutter - 12, lh), Qt::AlignRight | Qt::AlignVCenter, mono,
               t.faint, unit);
        QString line = code[(start + row) % code.size()];
        if (row % 9 == 4) line = QStringLiteral("    // ") + c.fit(c.sentence(), mono, a.right() - left - gutter - 60);
        if (line.trimmed().isEmpty()) continue;
        std::vector<std::pair<QString, QColor>> parts;
        const bool comment = line.trimmed().startsWith(QStringLiteral("//"));
        QString rest = line;
        while (!rest.isEmpty()) {
            qsizetype end = 0;
            while (end < rest.size() && rest[end] != QLatin1Char(' ')) ++end;
            while (end < rest.size() && rest[end] == QLatin1Char(' ')) ++end;
            const QString token = rest.left(end);
            QColor colour = t.ink;
            if (comment)
                colour = t.faint;
            else if (keywords.contains(token.trimmed()))
                colour = keyword;
            else if (token.contains(QLatin1Char('"')) || token.contains(QLatin1Char('<')))
                colour = string;
            parts.emplace_back(token, colour);
            rest = rest.mid(end);
        }
        runs(c, parts, QPointF(left + gutter, y + (lh - lineHeight(mono)) / 2), mono, a.right() - left - gutter - 8,
             unit);
    }
    c.newPart();
    c.box(QRectF(a.left(), a.bottom() - 24, a.width(), 24), c.chance(0.5) ? t.accent : t.panel, QColor());
    const QFont status = c.font(Role::Sans, 12);
    c.text(QStringLiteral("Ln %1, Col %2    UTF-8    Spaces: 4").arg(1 + c.below(80)).arg(1 + c.below(40)),
           QRectF(a.left() + 10, a.bottom() - 24, a.width() - 20, 24), kLeft, status,
           t.onAccent.lightness() > 128 && c.contrast(t.onAccent, t.panel) < 3 ? t.ink : t.ink);
    return QStringLiteral("editor");
}

QString terminal(Composer& c, const QRectF& a)
{
    const bool light = c.chance(0.5);
    // xterm's own colours on white, or a dark theme's.
    const QColor bg = light ? QColor(Qt::white) : QColor(20 + c.below(20), 20 + c.below(20), 24 + c.below(24));
    const QColor fg = light ? QColor(Qt::black) : QColor(210, 210, 210);
    const QColor green = light ? (c.chance(0.5) ? QColor(0, 255, 0) : QColor(0, 205, 0)) : QColor(138, 226, 52);
    const QColor blue = light ? QColor(0, 0, 238) : QColor(114, 159, 207);
    const QColor yellow = light ? (c.chance(0.5) ? QColor(255, 255, 0) : QColor(205, 205, 0)) : QColor(252, 233, 79);
    const QColor red = light ? QColor(205, 0, 0) : QColor(239, 41, 41);
    const QColor magenta = light ? QColor(205, 0, 205) : QColor(173, 127, 168);
    c.box(a, bg, QColor());
    c.newPart();
    const QFont mono = c.font(Role::Mono, c.between(12, 16));
    const QFont bold = c.font(Role::Mono, mono.pixelSize(), true);
    const qreal lh = lineHeight(mono) * c.between(1.0, 1.2);
    const qreal width = a.width() - 16;
    std::vector<std::vector<std::pair<QString, QColor>>> rows;
    static const QStringList users = {"anna@laptop", "dev@build-01", "user@debian", "root@server"};
    const QString user = c.any(users);
    const QString dir = QStringLiteral("~/") + QStringList{"project", "docs", "src/reader", "work"}[c.below(4)];
    auto prompt = [&](const QString& command) {
        rows.push_back({{user, green}, {QStringLiteral(":"), fg}, {dir, blue}, {QStringLiteral("$ ") + command, fg}});
    };
    while (rows.size() < 60) {
        switch (c.below(5)) {
        case 0:
            prompt(QStringLiteral("ls -la"));
            rows.push_back({{QStringLiteral("total ") + c.number(8, 96), fg}});
            for (int i = 0, n = 3 + c.below(5); i < n; ++i) {
                const bool folder = c.chance(0.3);
                const bool exe = !folder && c.chance(0.3);
                rows.push_back({{QStringLiteral("%1 %2 %3 staff %4 %5 ")
                                     .arg(folder ? "drwxr-xr-x"
                                          : exe  ? "-rwxr-xr-x"
                                                 : "-rw-r--r--")
                                     .arg(1 + c.below(3))
                                     .arg(user.section(QLatin1Char('@'), 0, 0))
                                     .arg(c.number(120, 99999), 6)
                                     .arg(c.date()),
                                 fg},
                                {folder ? c.word().split(QLatin1Char(' ')).first() : c.fileName(), folder ? blue
                                                                                                   : exe  ? green
                                                                                                          : fg}});
            }
            break;
        case 1:
            prompt(QStringLiteral("git log --oneline -4"));
            for (int i = 0; i < 4; ++i) rows.push_back({{c.hash(7), yellow}, {QLatin1Char(' ') + c.sentence(), fg}});
            break;
        case 2:
            prompt(QStringLiteral("git status"));
            rows.push_back({{QStringLiteral("On branch main"), fg}});
            rows.push_back({{QStringLiteral("Changes not staged for commit:"), fg}});
            for (int i = 0, n = 1 + c.below(3); i < n; ++i)
                rows.push_back({{QStringLiteral("        modified:   src/") + c.fileName(), red}});
            break;
        case 3:
            prompt(QStringLiteral("cat notes.txt"));
            for (int i = 0, n = 2 + c.below(3); i < n; ++i) rows.push_back({{c.sentence(), fg}});
            break;
        default:
            prompt(QStringLiteral("grep -n TODO src/*.cpp"));
            for (int i = 0, n = 1 + c.below(3); i < n; ++i)
                rows.push_back({{QStringLiteral("src/") + c.fileName(), magenta},
                                {QLatin1String(":"), fg},
                                {c.number(10, 400), green},
                                {QStringLiteral(": // TODO ") + c.word(), fg}});
        }
    }
    const int fitting = int((a.height() - 12) / lh);
    const size_t first = rows.size() > size_t(fitting) ? rows.size() - size_t(fitting) : 0;
    for (size_t i = first; i < rows.size(); ++i) {
        auto& row = rows[i];
        const QFont& f = row.front().second == green && i + 1 < rows.size() ? bold : mono;
        runs(c, row, QPointF(a.left() + 8, a.top() + 6 + (i - first) * lh), f, width);
    }
    return QStringLiteral("terminal %1").arg(light ? "light" : "dark");
}

QString chat(Composer& c, const QRectF& a)
{
    const Theme t = c.theme(c.chance(0.35));
    c.box(a, t.page, QColor());
    const qreal listWidth = a.width() > 640 ? c.between(220, 300) : 0;
    const QFont name = c.font(Role::Sans, c.between(13, 15), true);
    const QFont small = c.font(Role::Sans, c.between(11, 13));
    if (listWidth > 0) {
        c.newPart();
        c.box(QRectF(a.left(), a.top(), listWidth, a.height()), t.panel, QColor());
        c.vline(a.left() + listWidth, a.top(), a.bottom(), t.rule);
        const qreal rowHeight = lineHeight(name) + lineHeight(small) + 22;
        for (qreal y = a.top() + 8; y + rowHeight < a.bottom(); y += rowHeight) {
            c.icon(QRectF(a.left() + 10, y + 6, 36, 36), IconKind::Avatar,
                   QColor::fromHslF(float(c.between(0, 1)), 0.5f, 0.55f));
            const qreal x = a.left() + 56;
            // The name gives way to the time at the right: measured first, read after it.
            const QString time = c.time();
            const QRectF timeArea(a.left() + listWidth - 60, y + 4, 50, lineHeight(small));
            const qreal timeWidth = c.fittedWidth(time, small, timeArea.width());
            c.text(c.name(), QRectF(x, y + 4, listWidth - 70 - timeWidth, lineHeight(name)), kLeft, name, t.ink);
            c.text(time, timeArea, Qt::AlignRight | Qt::AlignVCenter, small, t.faint);
            const bool unread = c.chance(0.3);
            c.text(c.sentence(),
                   QRectF(x, y + 8 + lineHeight(name), listWidth - 66 - (unread ? 30 : 0), lineHeight(small)), kLeft,
                   small, t.faint);
            if (unread)
                c.badge(c.number(1, 9), QPointF(a.left() + listWidth - 30, y + 8 + lineHeight(name)), small, t.accent,
                        t.onAccent);
        }
    }
    const QRectF room(a.left() + listWidth + 1, a.top(), a.width() - listWidth - 1, a.height());
    c.newPart();
    c.text(c.name(), QPointF(room.left() + 16, room.top() + 12), name, t.ink);
    c.hline(room.left(), room.right(), room.top() + 44, t.rule);
    c.newPart();
    const QFont message = c.font(Role::Sans, c.between(13, 16));
    const QColor theirs = t.dark ? t.panel.lighter(130) : t.panel;
    qreal y = room.top() + 58;
    const qreal inputTop = room.bottom() - 52;
    while (true) {
        const bool mine = c.chance(0.5);
        const QString text = c.sentences(1 + c.below(2));
        const qreal maxWidth = room.width() * c.between(0.45, 0.65);
        QTextLayout probe(text, message);
        const qreal h = layOut(probe, maxWidth - 24);
        qreal widest = 0;
        for (int i = 0; i < probe.lineCount(); ++i) widest = std::max(widest, probe.lineAt(i).naturalTextWidth());
        const QRectF bubble(mine ? room.right() - 20 - widest - 24 : room.left() + 20, y, widest + 24, h + 14);
        if (bubble.bottom() + 24 > inputTop) break;
        const QColor fill = mine ? t.accent : theirs;
        c.box(bubble, fill, QColor(), 12);
        c.paragraph(text, bubble.topLeft() + QPointF(12, 8), widest + 1, message,
                    mine ? t.onAccent : (Composer::contrast(t.ink, fill) >= 4 ? t.ink : Qt::black), 0.35);
        c.text(c.time(), QRectF(bubble.left(), bubble.bottom() + 2, bubble.width(), lineHeight(small)),
               mine ? Qt::AlignRight | Qt::AlignVCenter : kLeft, small, t.faint);
        y = bubble.bottom() + lineHeight(small) + c.between(10, 20);
    }
    c.newPart();
    const QRectF input(room.left() + 12, inputTop + 8, room.width() - 60, 36);
    c.box(input, t.page, t.rule, 18);
    c.text(c.word() + QStringLiteral("..."), input.adjusted(16, 0, -16, 0), kLeft, message, t.faint);
    c.icon(QRectF(room.right() - 40, inputTop + 14, 24, 24), IconKind::Send, t.accent);
    return QStringLiteral("chat");
}

QString settings(Composer& c, const QRectF& a)
{
    const Theme t = c.theme(c.chance(0.3));
    c.box(a, t.page, QColor());
    const QFont ui = c.font(Role::Sans, c.between(12, 15));
    qreal top = a.top();
    std::vector<std::pair<QString, qreal>> menus;
    const bool menuBar = c.chance(0.6);
    if (menuBar) {
        c.newPart();
        c.box(QRectF(a.left(), a.top(), a.width(), lineHeight(ui) + 12), t.panel, QColor());
        qreal x = a.left() + 10;
        const int unit = c.canvas->newUnit();
        for (int i = 0, n = 4 + c.below(3); i < n; ++i) {
            const QString m = c.word();
            const qreal w = QFontMetricsF(ui).horizontalAdvance(m);
            if (x + w > a.right() - 10) break;
            menus.emplace_back(m, x);
            c.text(m, QPointF(x, a.top() + 6), ui, t.ink, unit);
            x += w + 22;
        }
        top += lineHeight(ui) + 12;
    }
    const qreal sideWidth = a.width() > 600 ? c.between(150, 220) : 0;
    if (sideWidth > 0) sectionList(c, QRectF(a.left(), top, sideWidth, a.bottom() - top), t, c.chance(0.6));
    c.newPart();
    const qreal left = a.left() + sideWidth + 24;
    const QFont head = c.font(Role::Sans, c.between(18, 24), true);
    qreal y = top + 16;
    c.text(c.word(), QPointF(left, y), head, t.ink);
    y += lineHeight(head) + 16;
    const qreal labelWidth = c.between(110, 170);
    const qreal rowHeight = lineHeight(ui) + 18;
    while (y + rowHeight + 60 < a.bottom()) {
        switch (c.below(4)) {
        case 0:
        case 1: {
            c.text(c.word(), QRectF(left, y, labelWidth - 10, rowHeight), kLeft, ui, t.ink);
            const QRectF field(left + labelWidth, y + 2, std::min(320.0, a.right() - left - labelWidth - 20),
                               rowHeight - 4);
            c.box(field, t.dark ? t.page.lighter(140) : Qt::white, t.rule, 4);
            c.text(c.chance(0.5) ? c.name() : c.word(), field.adjusted(8, 0, -8, 0), kLeft, ui, t.ink);
            break;
        }
        case 2: {
            const QRectF tick(left, y + rowHeight / 2 - 8, 16, 16);
            const bool on = c.chance(0.5);
            c.box(tick, on ? t.accent : QColor(), t.rule, 3);
            if (on) c.icon(tick, IconKind::Minimise, t.onAccent);
            c.text(c.sentence(), QRectF(left + 26, y, a.right() - left - 40, rowHeight), kLeft, ui, t.ink);
            break;
        }
        default: {
            const QRectF track(left, y + rowHeight / 2 - 10, 38, 20);
            const bool on = c.chance(0.5);
            c.box(track, on ? t.accent : t.rule, QColor(), 10);
            c.painter().setBrush(Qt::white);
            c.painter().setPen(Qt::NoPen);
            c.painter().drawEllipse(QRectF(on ? track.right() - 18 : track.left() + 2, track.top() + 2, 16, 16));
            c.text(c.word(), QRectF(left + 50, y, a.right() - left - 60, rowHeight / 2 + 4), kLeft, ui, t.ink);
            c.text(c.sentence(), QRectF(left + 50, y + rowHeight / 2 + 2, a.right() - left - 60, rowHeight / 2 + 6),
                   kLeft, c.font(Role::Sans, c.between(11, 12)), t.faint);
            y += rowHeight * 0.6;
        }
        }
        y += rowHeight + c.between(4, 12);
    }
    c.newPart();
    // Two buttons at the bottom right, the main one rightmost; its label is picked first.
    const QString primary = c.word();
    const QString other = c.word();
    const auto button = [&](const QString& label, qreal right) {
        const qreal w = QFontMetricsF(ui).horizontalAdvance(label) + 32;
        return QRectF(right - w, a.bottom() - 46, w, 30);
    };
    const QRectF primaryButton = button(primary, a.right() - 20);
    const QRectF otherButton = button(other, primaryButton.left() - 12);
    c.box(otherButton, QColor(), t.rule, 5);
    c.text(other, otherButton, Qt::AlignHCenter, ui, t.ink);
    c.box(primaryButton, t.accent, QColor(), 5);
    c.text(primary, primaryButton, Qt::AlignHCenter, ui, t.onAccent);
    if (menuBar && !menus.empty() && c.chance(0.5)) {
        // A menu open over the window.
        const auto& [title, mx] = menus[size_t(c.below(int(menus.size())))];
        const qreal itemHeight = lineHeight(ui) + 10;
        const int items = 4 + c.below(5);
        const QRectF menu(mx - 6, top, c.between(200, 280), items * itemHeight + 12);
        c.cover(menu.adjusted(0, 0, 4, 4));
        c.newPart();
        c.box(menu.translated(3, 3), QColor(0, 0, 0, 60), QColor(), 4);
        c.box(menu, t.dark ? t.panel : Qt::white, t.rule, 4);
        for (int i = 0; i < items; ++i) {
            const qreal iy = menu.top() + 6 + i * itemHeight;
            if (i == 1) c.box(QRectF(menu.left() + 4, iy, menu.width() - 8, itemHeight), t.accent, QColor(), 3);
            const QColor ink = i == 1 ? t.onAccent : t.ink;
            const int unit = c.canvas->newUnit();
            c.text(c.word(), QRectF(menu.left() + 14, iy, menu.width() * 0.6, itemHeight), kLeft, ui, ink, unit);
            if (c.chance(0.6))
                c.text(QStringLiteral("Ctrl+") + QChar('A' + c.below(26)),
                       QRectF(menu.left() + menu.width() * 0.6, iy, menu.width() * 0.4 - 14, itemHeight),
                       Qt::AlignRight | Qt::AlignVCenter, ui, i == 1 ? ink : t.faint, unit);
        }
    }
    return QStringLiteral("settings");
}

QString mail(Composer& c, const QRectF& a)
{
    const Theme t = c.theme(c.chance(0.3));
    c.box(a, t.page, QColor());
    const qreal folders = a.width() > 900 ? c.between(150, 200) : 0;
    if (folders > 0) sectionList(c, QRectF(a.left(), a.top(), folders, a.height()), t, true);
    const qreal listWidth = std::min(360.0, (a.width() - folders) * 0.42);
    const QFont bold = c.font(Role::Sans, c.between(13, 15), true);
    const QFont ui = c.font(Role::Sans, bold.pixelSize());
    const QFont small = c.font(Role::Sans, c.between(11, 13));
    const qreal lx = a.left() + folders + 12;
    const qreal rowHeight = lineHeight(bold) + lineHeight(ui) + lineHeight(small) + 20;
    int selected = c.below(3);
    for (qreal y = a.top() + 8; y + rowHeight < a.bottom(); y += rowHeight, --selected) {
        c.newPart();
        if (selected == 0)
            c.box(QRectF(lx - 8, y - 4, listWidth, rowHeight - 2), t.panel.darker(t.dark ? 80 : 104), QColor());
        const QString time = c.time();
        const QRectF timeArea(lx + listWidth - 70, y, 52, lineHeight(small));
        const qreal tw = c.fittedWidth(time, small, timeArea.width());
        c.text(c.name(), QRectF(lx, y, listWidth - 40 - tw, lineHeight(bold)), kLeft, bold, t.ink);
        c.text(time, timeArea, Qt::AlignRight | Qt::AlignVCenter, small, t.faint);
        c.text(c.word() + QStringLiteral(": ") + c.word(),
               QRectF(lx, y + lineHeight(bold) + 4, listWidth - 24, lineHeight(ui)), kLeft, ui, t.ink);
        c.text(c.sentence(), QRectF(lx, y + lineHeight(bold) + lineHeight(ui) + 8, listWidth - 24, lineHeight(small)),
               kLeft, small, t.faint);
        c.hline(lx - 8, lx + listWidth - 8, y + rowHeight - 4, t.rule);
    }
    c.vline(lx + listWidth - 4, a.top(), a.bottom(), t.rule);
    c.newPart();
    const qreal rx = lx + listWidth + 20;
    const qreal rw = a.right() - rx - 20;
    if (rw < 200) return QStringLiteral("mail");
    const QFont subject = c.font(Role::Sans, c.between(18, 24), true);
    qreal y = a.top() + 16;
    y += c.paragraph(c.any(c.texts().headlines), QPointF(rx, y), rw, subject, t.ink, 0.2) + 4;
    c.text(c.name() + QStringLiteral(" <") + QStringLiteral("mail%1@example.com").arg(c.below(100)) + QLatin1Char('>'),
           QPointF(rx, y), small, t.faint);
    y += lineHeight(small) + 18;
    const QFont body = c.font(c.chance(0.7) ? Role::Sans : Role::Serif, c.between(13, 16));
    while (y + 4 * lineHeight(body) < a.bottom())
        y += c.paragraph(c.sentences(1 + c.below(3)), QPointF(rx, y), rw, body, t.ink) + lineHeight(body) * 0.8;
    return QStringLiteral("mail");
}

QString table(Composer& c, const QRectF& a)
{
    const Theme t = c.theme(c.chance(0.25));
    c.box(a, t.page, QColor());
    const QFont ui = c.font(Role::Sans, c.between(12, 15));
    c.newPart();
    qreal x = a.left() + 12;
    for (int i = 0; i < 3; ++i) {
        const QString w = c.word();
        const qreal bw = QFontMetricsF(ui).horizontalAdvance(w) + 24;
        if (x + bw > a.right() - 200) break;
        const QRectF button(x, a.top() + 8, bw, lineHeight(ui) + 12);
        c.box(button, i == 0 ? t.accent : t.panel, i == 0 ? QColor() : t.rule, 4);
        c.text(w, button, Qt::AlignHCenter, ui, i == 0 ? t.onAccent : t.ink);
        x += bw + 10;
    }
    const QRectF search(a.right() - 190, a.top() + 8, 178, lineHeight(ui) + 12);
    c.box(search, t.page, t.rule, 4);
    c.icon(QRectF(search.left() + 6, search.top() + 5, search.height() - 10, search.height() - 10), IconKind::Search,
           t.faint);
    c.text(c.word(), search.adjusted(search.height(), 0, -6, 0), kLeft, ui, t.faint);
    c.newPart();
    const int columns = std::clamp(int(a.width() / 170), 3, 6);
    const int rules = c.below(3);  // none, across, grid
    const bool zebra = c.chance(0.4);
    const qreal rowHeight = lineHeight(ui) + c.between(8, 16);
    const qreal colWidth = (a.width() - 24) / columns;
    const qreal top = a.top() + lineHeight(ui) + 32;
    std::vector<int> kinds;  // what each column holds: word, name, date, price, number
    for (int col = 0; col < columns; ++col) kinds.push_back(col == 0 ? c.below(2) : c.below(5));
    qreal y = top;
    for (int row = 0; y + rowHeight < a.bottom() - 8; ++row, y += rowHeight) {
        const bool header = row == 0;
        if (header)
            c.box(QRectF(a.left() + 12, y, a.width() - 24, rowHeight), t.panel, QColor());
        else if (zebra && row % 2 == 0)
            c.box(QRectF(a.left() + 12, y, a.width() - 24, rowHeight), t.panel.lighter(t.dark ? 110 : 102), QColor());
        const QFont f = header ? c.font(Role::Sans, ui.pixelSize(), true) : ui;
        for (int col = 0; col < columns; ++col) {
            const QRectF cell(a.left() + 12 + col * colWidth + 8, y, colWidth - 16, rowHeight);
            QString value;
            switch (header ? 0 : kinds[size_t(col)]) {
            case 0: value = c.word(); break;
            case 1: value = c.name(); break;
            case 2: value = c.date(); break;
            case 3: value = c.price(); break;
            default: value = c.number(0, 99999); break;
            }
            c.text(value, cell, !header && kinds[size_t(col)] >= 3 ? Qt::AlignRight | Qt::AlignVCenter : kLeft, f,
                   header ? t.ink : (col == 0 ? t.ink : (c.chance(0.1) ? t.accent : t.ink)));
        }
        if (rules >= 1 || header) c.hline(a.left() + 12, a.right() - 12, y + rowHeight, t.rule);
    }
    if (rules == 2)
        for (int col = 0; col <= columns; ++col) c.vline(a.left() + 12 + col * colWidth, top, y, t.rule);
    return QStringLiteral("table");
}

}  // namespace

QString drawProgram(Composer& c, const QRectF& area)
{
    using Program = QString (*)(Composer&, const QRectF&);
    static const Program programs[] = {browser, browser, files, editor, terminal, chat, settings, mail, table};
    c.painter().save();
    c.painter().setClipRect(area);
    const QString what = programs[c.below(int(std::size(programs)))](c, area);
    c.painter().restore();
    return what;
}

}  // namespace klipo::test
