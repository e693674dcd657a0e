#include "ScreenFixtures.h"

#include "ScreenTexts.h"

#include <QApplication>
#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTableWidget>
#include <QTextLayout>
#include <QVBoxLayout>

#include <cmath>

namespace klipo::test {

namespace {

QFont fontFor(ScreenLanguage language, int pixelSize, bool mono = false, bool serif = false)
{
    QFont font;
    if (isCjk(language))
        font.setFamilies({mono ? QStringLiteral("WenQuanYi Micro Hei Mono") : QStringLiteral("WenQuanYi Micro Hei")});
    else
        font.setFamilies({mono ? QStringLiteral("DejaVu Sans Mono")
                               : serif ? QStringLiteral("DejaVu Serif") : QStringLiteral("DejaVu Sans")});
    font.setPixelSize(pixelSize);
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
    int newUnit() { return m_unit++; }

    // Draws `text` with its top-left corner at `topLeft`.
    void text(const QString& text, QPointF topLeft, const QFont& font, const QColor& color, int unit)
    {
        m_painter.setFont(font);
        m_painter.setPen(color);
        const QFontMetricsF metrics(font);
        m_painter.drawText(topLeft + QPointF(0, metrics.ascent()), text);
        note(text, QRectF(topLeft, QSizeF(metrics.horizontalAdvance(text), metrics.height())), unit);
    }

    // Draws `text` aligned inside `area`.
    void text(const QString& text, const QRectF& area, Qt::Alignment alignment, const QFont& font,
              const QColor& color, int unit)
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
        const QRectF px(logical.x() * m_scale, logical.y() * m_scale, logical.width() * m_scale,
                        logical.height() * m_scale);
        m_screen.lines.push_back({text, px.toAlignedRect(), unit, 0});
    }

private:
    QPainter m_painter;
    double m_scale;
    Screen& m_screen;
    int m_unit = 0;
};

QImage blank(QSize logical, double scale, const QColor& fill)
{
    QImage image(QSize(int(logical.width() * scale), int(logical.height() * scale)), QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

// A settings window made of real widgets: menu bar, form, check box,
// buttons, a table and a status line.
void drawWidgets(Screen& screen, QSize size, const ScreenTexts& t)
{
    QWidget window;
    window.setAttribute(Qt::WA_DontShowOnScreen);
    window.setFont(fontFor(screen.language, 13));
    window.resize(size);
    auto* layout = new QVBoxLayout(&window);
    auto* menus = new QMenuBar(&window);
    menus->setNativeMenuBar(false);
    for (const QString& m : t.menus) menus->addMenu(m);
    layout->setMenuBar(menus);
    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    form->setHorizontalSpacing(24);
    std::vector<QLabel*> labels;
    std::vector<QLineEdit*> edits;
    for (int i = 0; i < 3; ++i) {
        labels.push_back(new QLabel(t.formLabels[i]));
        edits.push_back(new QLineEdit(t.formValues[i]));
        edits.back()->setMaximumWidth(360);
        form->addRow(labels.back(), edits.back());
    }
    layout->addLayout(form);
    auto* check = new QCheckBox(t.checkbox);
    check->setChecked(true);
    layout->addWidget(check);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    std::vector<QPushButton*> pushes;
    for (const QString& b : t.buttons) {
        pushes.push_back(new QPushButton(b));
        buttons->addWidget(pushes.back());
    }
    layout->addLayout(buttons);
    auto* table = new QTableWidget(int(t.tableRows.size()), 4);
    table->setHorizontalHeaderLabels(t.tableHeaders);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    for (int c = 0; c < 3; ++c) table->setColumnWidth(c, (size.width() - 40) / 4);
    for (int r = 0; r < int(t.tableRows.size()); ++r)
        for (int c = 0; c < 4; ++c) table->setItem(r, c, new QTableWidgetItem(t.tableRows[r][c]));
    layout->addWidget(table);
    auto* status = new QLabel(t.status);
    layout->addWidget(status);
    window.show();
    layout->activate();
    QApplication::processEvents();

    screen.image = blank(size, screen.scale, Qt::white);
    Canvas canvas(screen.image, screen.scale, screen);
    window.render(&canvas.painter(), QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);

    const QFontMetricsF metrics(window.font());
    auto textBox = [&](const QString& text, const QRect& area, Qt::Alignment alignment) {
        const QSize box(int(metrics.horizontalAdvance(text)), int(metrics.height()));
        return QStyle::alignedRect(Qt::LeftToRight, alignment, box, area);
    };
    auto noteIn = [&](QWidget* w, const QString& text, QRect area, Qt::Alignment alignment, int unit) {
        area.moveTopLeft(w->mapTo(&window, area.topLeft()));
        canvas.note(text, textBox(text, area, alignment), unit);
    };
    const int menuUnit = canvas.newUnit();
    for (QAction* a : menus->actions()) noteIn(menus, a->text(), menus->actionGeometry(a), Qt::AlignCenter, menuUnit);
    for (int i = 0; i < 3; ++i) {
        noteIn(labels[size_t(i)], labels[size_t(i)]->text(), labels[size_t(i)]->rect(), Qt::AlignLeft | Qt::AlignVCenter,
               canvas.newUnit());
        noteIn(edits[size_t(i)], edits[size_t(i)]->text(), edits[size_t(i)]->rect().adjusted(4, 0, 0, 0),
               Qt::AlignLeft | Qt::AlignVCenter, canvas.newUnit());
    }
    QStyleOptionButton option;
    option.initFrom(check);
    option.text = check->text();
    noteIn(check, check->text(), check->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, check),
           Qt::AlignLeft | Qt::AlignVCenter, canvas.newUnit());
    for (QPushButton* b : pushes) noteIn(b, b->text(), b->rect(), Qt::AlignCenter, canvas.newUnit());
    QHeaderView* header = table->horizontalHeader();
    for (int c = 0; c < 4; ++c) {
        const QRect section(header->sectionViewportPosition(c), 0, header->sectionSize(c), header->height());
        noteIn(header->viewport(), t.tableHeaders[c], section, Qt::AlignCenter, canvas.newUnit());
    }
    for (int r = 0; r < table->rowCount(); ++r)
        for (int c = 0; c < 4; ++c)
            noteIn(table->viewport(), t.tableRows[r][c], table->visualItemRect(table->item(r, c)).adjusted(3, 0, 0, 0),
                   Qt::AlignLeft | Qt::AlignVCenter, canvas.newUnit());
    noteIn(status, status->text(), status->rect(), Qt::AlignLeft | Qt::AlignVCenter, canvas.newUnit());
}

// Lays out a paragraph in a column; returns the height used.
qreal paragraph(Canvas& canvas, const QString& text, const QFont& font, QPointF at, qreal width, int unit,
                const QColor& color = QColor(20, 20, 20))
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    const qreal leading = QFontMetricsF(font).height() * 0.35;
    qreal y = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height() + leading;
    }
    layout.endLayout();
    canvas.painter().setPen(color);
    layout.draw(&canvas.painter(), at);
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        const QString piece = text.mid(line.textStart(), line.textLength()).trimmed();
        canvas.note(piece, line.naturalTextRect().translated(at), unit);
    }
    return y;
}

// A news page: title and byline across the page, the body in two columns, a
// picture with its caption in the left one.
void drawArticle(Screen& screen, QSize size, const ScreenTexts& t)
{
    screen.image = blank(size, screen.scale, QColor(252, 252, 250));
    Canvas canvas(screen.image, screen.scale, screen);
    const ScreenLanguage lang = screen.language;
    const qreal margin = 32;
    canvas.text(t.articleTitle, QPointF(margin, 20), [&] {
        QFont f = fontFor(lang, 26, false, true);
        f.setBold(true);
        return f;
    }(), QColor(15, 15, 15), canvas.newUnit());
    canvas.text(t.byline, QPointF(margin, 60), fontFor(lang, 12), QColor(120, 120, 120), canvas.newUnit());
    canvas.painter().setPen(QPen(QColor(200, 200, 200), 1));
    canvas.painter().drawLine(QPointF(margin, 84.5), QPointF(size.width() - margin, 84.5));

    const qreal gutter = 36;
    const qreal columnWidth = (size.width() - 2 * margin - gutter) / 2;
    const QFont body = fontFor(lang, 15, false, true);
    const qreal bottom = size.height() - 16;
    qreal x = margin;
    qreal y = 100;
    int unit = canvas.newUnit();
    // The picture and its caption open the left column.
    const QRectF picture(x, y, columnWidth, 120);
    QLinearGradient sky(picture.topLeft(), picture.bottomLeft());
    sky.setColorAt(0, QColor(120, 170, 220));
    sky.setColorAt(1, QColor(70, 130, 90));
    canvas.painter().fillRect(picture, sky);
    canvas.painter().setBrush(QColor(60, 90, 160));
    canvas.painter().setPen(Qt::NoPen);
    canvas.painter().drawEllipse(picture.adjusted(40, 50, -120, -8));
    QFont captionFont = fontFor(lang, 12);
    captionFont.setItalic(true);
    canvas.text(t.caption, QPointF(x, y + 126), captionFont, QColor(110, 110, 110), canvas.newUnit());
    y += 160;
    const qsizetype n = t.sentences.size();
    for (qsizetype i = 0; i < 4 * n; i += 2) {
        const QString text =
            t.sentences[(i + i / n) % n] + (isCjk(lang) ? QString() : QStringLiteral(" ")) + t.sentences[(i + 1 + i / n) % n];
        QTextLayout probe(text, body);
        probe.beginLayout();
        int lines = 0;
        for (QTextLine l = probe.createLine(); l.isValid(); l = probe.createLine()) {
            l.setLineWidth(columnWidth);
            ++lines;
        }
        probe.endLayout();
        const qreal needed = lines * QFontMetricsF(body).height() * 1.35;
        if (y + needed > bottom) {
            if (x > margin) break;  // both columns are full
            x += columnWidth + gutter;
            y = 100;
            unit = canvas.newUnit();
        }
        y += paragraph(canvas, text, body, QPointF(x, y), columnWidth, unit) + 10;
    }
}

void drawTerminal(Screen& screen, QSize size, const ScreenTexts& t)
{
    screen.image = blank(size, screen.scale, QColor(30, 32, 36));
    Canvas canvas(screen.image, screen.scale, screen);
    const QFont mono = fontFor(screen.language, 14, true);
    qreal y = 12;
    for (int round = 0; y + 20 < size.height(); ++round) {
        for (const QString& line : t.terminal) {
            if (y + 20 >= size.height()) break;
            const bool prompt = line.startsWith(QLatin1Char('$'));
            canvas.text(line, QPointF(12, y), mono, prompt ? QColor(110, 210, 120) : QColor(215, 215, 215),
                        canvas.newUnit());
            y += 21;
        }
        if (round > 3) break;
    }
}

void drawChat(Screen& screen, QSize size, const ScreenTexts& t)
{
    screen.image = blank(size, screen.scale, Qt::white);
    Canvas canvas(screen.image, screen.scale, screen);
    QPainter& p = canvas.painter();
    const ScreenLanguage lang = screen.language;
    const qreal sidebar = std::min(260.0, size.width() * 0.36);
    p.fillRect(QRectF(0, 0, sidebar, size.height()), QColor(244, 245, 247));
    p.setPen(QColor(215, 215, 220));
    p.drawLine(QPointF(sidebar + 0.5, 0), QPointF(sidebar + 0.5, size.height()));
    QFont name = fontFor(lang, 14);
    name.setBold(true);
    const QFont small = fontFor(lang, 11);
    const QFont preview = fontFor(lang, 12);
    for (int i = 0; i < t.chatNames.size(); ++i) {
        const qreal top = 14 + i * 64;
        if (i == 0) p.fillRect(QRectF(0, top - 8, sidebar, 60), QColor(222, 232, 250));
        canvas.text(t.chatNames[i], QPointF(14, top), name, QColor(25, 25, 25), canvas.newUnit());
        canvas.text(t.times[i], QRectF(sidebar - 70, top, 58, QFontMetricsF(name).height()), Qt::AlignRight, small,
                    QColor(140, 140, 140), canvas.newUnit());
        canvas.text(t.chatPreviews[i], QPointF(14, top + 24), preview, QColor(120, 120, 125), canvas.newUnit());
    }
    QFont header = fontFor(lang, 15);
    header.setBold(true);
    canvas.text(t.chatNames[0], QPointF(sidebar + 20, 14), header, QColor(20, 20, 20), canvas.newUnit());
    p.setPen(QColor(225, 225, 225));
    p.drawLine(QPointF(sidebar, 46.5), QPointF(size.width(), 46.5));

    const QFont message = fontFor(lang, 14);
    const QFontMetricsF metrics(message);
    const qreal area = size.width() - sidebar;
    qreal y = 62;
    for (int i = 0; i < t.chatMessages.size() && y + 70 < size.height(); ++i) {
        const bool mine = i % 2 == 1;
        const QString& text = t.chatMessages[i];
        const qreal w = std::min(metrics.horizontalAdvance(text), area - 120) + 24;
        const QRectF bubble(mine ? size.width() - 20 - w : sidebar + 20, y, w, metrics.height() + 16);
        p.setPen(Qt::NoPen);
        p.setBrush(mine ? QColor(0, 122, 255) : QColor(233, 233, 235));
        p.drawRoundedRect(bubble, 14, 14);
        canvas.text(text, bubble.topLeft() + QPointF(12, 8), message, mine ? Qt::white : QColor(20, 20, 20),
                    canvas.newUnit());
        canvas.text(t.times[i], QRectF(bubble.left(), bubble.bottom() + 3, bubble.width(), 14),
                    mine ? Qt::AlignRight : Qt::AlignLeft, small, QColor(150, 150, 150), canvas.newUnit());
        y = bubble.bottom() + 28;
    }
}

void drawSpreadsheet(Screen& screen, QSize size, const ScreenTexts& t)
{
    screen.image = blank(size, screen.scale, Qt::white);
    Canvas canvas(screen.image, screen.scale, screen);
    QPainter& p = canvas.painter();
    const ScreenLanguage lang = screen.language;
    const QFont cell = fontFor(lang, 13);
    QFont bold = cell;
    bold.setBold(true);
    // Formula bar.
    p.fillRect(QRectF(0, 0, size.width(), 30), QColor(248, 248, 248));
    p.setPen(QColor(200, 200, 200));
    p.drawLine(QPointF(0, 30.5), QPointF(size.width(), 30.5));
    QFont fx = cell;
    fx.setItalic(true);
    canvas.text(QStringLiteral("fx"), QPointF(10, 7), fx, QColor(90, 90, 90), canvas.newUnit());
    p.drawLine(QPointF(36.5, 4), QPointF(36.5, 26));
    canvas.text(t.sheetRows.back()[2], QPointF(46, 7), cell, QColor(30, 30, 30), canvas.newUnit());

    const qreal rowHeader = 36;
    const qreal colWidth = (size.width() - rowHeader) / 4;
    const qreal rowHeight = 26;
    const qreal top = 40;
    const int rows = int(t.sheetRows.size()) + 1;
    p.fillRect(QRectF(0, top, size.width(), rowHeight), QColor(238, 238, 238));
    p.fillRect(QRectF(0, top, rowHeader, rowHeight * (rows + 1)), QColor(238, 238, 238));
    p.setPen(QColor(205, 205, 205));
    for (int r = 0; r <= rows + 1; ++r) p.drawLine(QPointF(0, top + r * rowHeight + 0.5), QPointF(size.width(), top + r * rowHeight + 0.5));
    for (int c = 0; c <= 4; ++c) {
        const qreal x = std::floor(rowHeader + c * colWidth) + 0.5;
        p.drawLine(QPointF(x, top), QPointF(x, top + rowHeight * (rows + 1)));
    }
    const QColor header(90, 90, 90);
    for (int c = 0; c < 4; ++c)
        canvas.text(QString(QChar('A' + c)), QRectF(rowHeader + c * colWidth, top, colWidth, rowHeight), Qt::AlignHCenter,
                    cell, header, canvas.newUnit());
    for (int r = 0; r < rows; ++r) {
        const qreal y = top + (r + 1) * rowHeight;
        canvas.text(QString::number(r + 1), QRectF(0, y, rowHeader, rowHeight), Qt::AlignHCenter, cell, header,
                    canvas.newUnit());
        const QStringList& values = r == 0 ? t.sheetHeaders : t.sheetRows[r - 1];
        for (int c = 0; c < 4; ++c) {
            const QRectF box(rowHeader + c * colWidth + 5, y, colWidth - 10, rowHeight);
            const bool number = r > 0 && c >= 2;
            canvas.text(values[c], box, number ? Qt::AlignRight : Qt::AlignLeft, r == 0 || r == rows - 1 ? bold : cell,
                        QColor(25, 25, 25), canvas.newUnit());
        }
    }
}

void drawContent(Screen& screen, ScreenKind kind, QSize size, const ScreenTexts& t)
{
    switch (kind) {
    case ScreenKind::Widgets: drawWidgets(screen, size, t); break;
    case ScreenKind::Article: drawArticle(screen, size, t); break;
    case ScreenKind::Terminal: drawTerminal(screen, size, t); break;
    case ScreenKind::Chat: drawChat(screen, size, t); break;
    case ScreenKind::Spreadsheet: drawSpreadsheet(screen, size, t); break;
    case ScreenKind::Desktop: break;
    }
}

// Several windows with title bars over a wallpaper, under a top bar.
void drawDesktop(Screen& screen, const ScreenTexts& t)
{
    const double s = screen.scale;
    const QSize size(1920, 1080);
    screen.image = blank(size, s, Qt::black);
    Canvas canvas(screen.image, s, screen);
    QPainter& p = canvas.painter();
    QLinearGradient wallpaper(QPointF(0, 0), QPointF(1920, 1080));
    wallpaper.setColorAt(0, QColor(38, 70, 120));
    wallpaper.setColorAt(1, QColor(120, 78, 140));
    p.fillRect(QRectF(0, 0, 1920, 1080), wallpaper);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 28));
    p.drawEllipse(QPointF(1500, 300), 420, 420);
    p.drawEllipse(QPointF(300, 900), 300, 300);
    p.fillRect(QRectF(0, 0, 1920, 28), QColor(22, 22, 24));
    const QFont bar = fontFor(screen.language, 13);
    canvas.text(t.panel[0], QPointF(14, 6), bar, QColor(235, 235, 235), canvas.newUnit());
    canvas.text(t.panel[1], QRectF(1700, 0, 205, 28), Qt::AlignRight, bar, QColor(235, 235, 235), canvas.newUnit());

    struct Window {
        ScreenKind kind;
        QRect frame;
    };
    const Window windows[] = {{ScreenKind::Widgets, QRect(24, 44, 820, 560)},
                              {ScreenKind::Article, QRect(868, 44, 1028, 560)},
                              {ScreenKind::Terminal, QRect(24, 628, 700, 428)},
                              {ScreenKind::Chat, QRect(748, 628, 660, 428)},
                              {ScreenKind::Spreadsheet, QRect(1432, 628, 464, 428)}};
    constexpr int kTitleBar = 30;
    QFont title = fontFor(screen.language, 13);
    title.setBold(true);
    for (int w = 0; w < 5; ++w) {
        const QRect frame = windows[w].frame;
        const size_t first = screen.lines.size();
        p.setPen(QColor(150, 150, 155));
        p.setBrush(QColor(232, 232, 234));
        p.drawRect(QRectF(frame).adjusted(0.5, 0.5, -0.5, -0.5));
        canvas.text(t.titles[w], QRectF(frame.left(), frame.top(), frame.width(), kTitleBar), Qt::AlignHCenter, title,
                    QColor(40, 40, 40), canvas.newUnit());
        Screen content;
        content.kind = windows[w].kind;
        content.language = screen.language;
        content.scale = s;
        const QRect inside(frame.left() + 1, frame.top() + kTitleBar, frame.width() - 2, frame.height() - kTitleBar - 1);
        drawContent(content, windows[w].kind, inside.size(), t);
        p.save();
        p.resetTransform();
        p.drawImage(QPointF(inside.left() * s, inside.top() * s), content.image);
        p.restore();
        const int unitBase = canvas.newUnit();
        for (int i = 0; i < 1000; ++i) canvas.newUnit();
        for (ReferenceLine line : content.lines) {
            line.box.translate(int(inside.left() * s), int(inside.top() * s));
            line.unit += unitBase;
            screen.lines.push_back(line);
        }
        for (size_t i = first; i < screen.lines.size(); ++i) screen.lines[i].window = w + 1;
    }
}

}  // namespace

Screen drawScreen(ScreenKind kind, ScreenLanguage language, double scale)
{
    Screen screen;
    screen.kind = kind;
    screen.language = language;
    screen.scale = scale;
    screen.name = kindName(kind) + QLatin1Char(' ') + languageName(language) + QStringLiteral(" %1x").arg(scale);
    const ScreenTexts texts = screenTexts(language);
    static const QSize sizes[] = {QSize(820, 530), QSize(1000, 700), QSize(760, 420), QSize(900, 560), QSize(620, 260)};
    if (kind == ScreenKind::Desktop)
        drawDesktop(screen, texts);
    else
        drawContent(screen, kind, sizes[int(kind)], texts);
    // Lines that fell outside the picture were not drawn.
    const QRect bounds = screen.image.rect();
    std::erase_if(screen.lines, [&](const ReferenceLine& l) { return !bounds.contains(l.box.center()) || l.text.isEmpty(); });
    return screen;
}

QString languageName(ScreenLanguage language)
{
    static const char* const names[] = {"English", "Chinese", "Mixed", "Spanish", "French", "German"};
    return QString::fromLatin1(names[int(language)]);
}

QString kindName(ScreenKind kind)
{
    static const char* const names[] = {"widgets", "article", "terminal", "chat", "spreadsheet", "desktop"};
    return QString::fromLatin1(names[int(kind)]);
}

bool isCjk(ScreenLanguage language) { return language == ScreenLanguage::Chinese || language == ScreenLanguage::Mixed; }

}  // namespace klipo::test
