#include "ScreenCanvas.h"

#include <QApplication>
#include <QCheckBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace klipo::test {

namespace {

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
    std::vector<QWidget*> fields;  // label, edit, label, edit ...
    for (int i = 0; i < 3; ++i) {
        auto* edit = new QLineEdit(t.formValues[i]);
        edit->setMaximumWidth(360);
        fields.push_back(new QLabel(t.formLabels[i]));
        fields.push_back(edit);
        form->addRow(fields[fields.size() - 2], edit);
    }
    layout->addLayout(form);
    auto* check = new QCheckBox(t.checkbox);
    check->setChecked(true);
    layout->addWidget(check);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    std::vector<QPushButton*> pushes;
    for (const QString& b : t.buttons) buttons->addWidget(pushes.emplace_back(new QPushButton(b)));
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

    // Notes the text as the widget `w` draws it inside `area` (its own coordinates).
    const QFontMetricsF metrics(window.font());
    auto noteIn = [&](QWidget* w, const QString& text, QRect area, Qt::Alignment alignment, int unit = -1) {
        area.moveTopLeft(w->mapTo(&window, area.topLeft()));
        const QSize box(int(metrics.horizontalAdvance(text)), int(metrics.height()));
        canvas.note(text, QStyle::alignedRect(Qt::LeftToRight, alignment, box, area), unit < 0 ? canvas.newUnit() : unit);
    };
    constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignVCenter;
    const int menuUnit = canvas.newUnit();
    for (QAction* a : menus->actions()) noteIn(menus, a->text(), menus->actionGeometry(a), Qt::AlignCenter, menuUnit);
    for (size_t i = 0; i < fields.size(); ++i) {
        auto* edit = qobject_cast<QLineEdit*>(fields[i]);
        noteIn(fields[i], edit ? edit->text() : static_cast<QLabel*>(fields[i])->text(),
               fields[i]->rect().adjusted(edit ? 4 : 0, 0, 0, 0), kLeft);
    }
    QStyleOptionButton option;
    option.initFrom(check);
    option.text = check->text();
    noteIn(check, check->text(), check->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, check), kLeft);
    for (QPushButton* b : pushes) noteIn(b, b->text(), b->rect(), Qt::AlignCenter);
    QHeaderView* header = table->horizontalHeader();
    for (int c = 0; c < 4; ++c)
        noteIn(header->viewport(), t.tableHeaders[c],
               QRect(header->sectionViewportPosition(c), 0, header->sectionSize(c), header->height()), Qt::AlignCenter);
    for (int r = 0; r < table->rowCount(); ++r)
        for (int c = 0; c < 4; ++c)
            noteIn(table->viewport(), t.tableRows[r][c], table->visualItemRect(table->item(r, c)).adjusted(3, 0, 0, 0),
                   kLeft);
    noteIn(status, status->text(), status->rect(), kLeft);
}

// A news page: title and byline across the page, the body in two columns, a
// picture with its caption in the left one.
void drawArticle(Screen& screen, QSize size, const ScreenTexts& t)
{
    screen.image = blank(size, screen.scale, QColor(252, 252, 250));
    Canvas canvas(screen.image, screen.scale, screen);
    QPainter& p = canvas.painter();
    const ScreenLanguage lang = screen.language;
    const qreal margin = 32;
    canvas.text(t.articleTitle, QPointF(margin, 20), styled(fontFor(lang, 26, false, true), true), QColor(15, 15, 15));
    canvas.text(t.byline, QPointF(margin, 60), fontFor(lang, 12), QColor(120, 120, 120));
    p.setPen(QPen(QColor(200, 200, 200), 1));
    p.drawLine(QPointF(margin, 84.5), QPointF(size.width() - margin, 84.5));

    const qreal gutter = 36;
    const qreal columnWidth = (size.width() - 2 * margin - gutter) / 2;
    const QFont body = fontFor(lang, 15, false, true);
    qreal x = margin, y = 100;
    int unit = canvas.newUnit();
    // The picture and its caption open the left column.
    const QRectF picture(x, y, columnWidth, 120);
    QLinearGradient sky(picture.topLeft(), picture.bottomLeft());
    sky.setColorAt(0, QColor(120, 170, 220));
    sky.setColorAt(1, QColor(70, 130, 90));
    p.fillRect(picture, sky);
    p.setBrush(QColor(60, 90, 160));
    p.setPen(Qt::NoPen);
    p.drawEllipse(picture.adjusted(40, 50, -120, -8));
    canvas.text(t.caption, QPointF(x, y + 126), styled(fontFor(lang, 12), false, true), QColor(110, 110, 110));
    y += 160;
    const qsizetype n = t.sentences.size();
    for (qsizetype i = 0; i < 20; ++i) {  // every sentence after every other one
        const QString text = t.sentences[i % n] + (isCjk(lang) ? QString() : QStringLiteral(" ")) +
                             t.sentences[(i + 1 + i / n) % n];
        QTextLayout layout(text, body);
        const qreal height = layOut(layout, columnWidth);
        if (y + layout.lineCount() * QFontMetricsF(body).height() * 1.35 > size.height() - 16) {
            if (x > margin) break;  // both columns are full
            x += columnWidth + gutter;
            y = 100;
            unit = canvas.newUnit();
        }
        p.setPen(QColor(20, 20, 20));
        layout.draw(&p, QPointF(x, y));
        for (int i = 0; i < layout.lineCount(); ++i) {
            const QTextLine line = layout.lineAt(i);
            canvas.note(text.mid(line.textStart(), line.textLength()).trimmed(),
                        line.naturalTextRect().translated(x, y), unit);
        }
        y += height + 10;
    }
}

void drawTerminal(Screen& screen, QSize size, const ScreenTexts& t)
{
    screen.image = blank(size, screen.scale, QColor(30, 32, 36));
    Canvas canvas(screen.image, screen.scale, screen);
    const QFont mono = fontFor(screen.language, 14, true);
    for (int i = 0; 12 + 21 * i + 20 < size.height() && i < 5 * t.terminal.size(); ++i) {
        const QString& line = t.terminal[i % t.terminal.size()];
        canvas.text(line, QPointF(12, 12 + 21 * i), mono,
                    line.startsWith(QLatin1Char('$')) ? QColor(110, 210, 120) : QColor(215, 215, 215));
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
    const QFont name = styled(fontFor(lang, 14), true);
    const QFont small = fontFor(lang, 11);
    for (int i = 0; i < t.chatNames.size(); ++i) {
        const qreal top = 14 + i * 64;
        if (i == 0) p.fillRect(QRectF(0, top - 8, sidebar, 60), QColor(222, 232, 250));
        canvas.text(t.chatNames[i], QPointF(14, top), name, QColor(25, 25, 25));
        canvas.text(t.times[i], QRectF(sidebar - 70, top, 58, QFontMetricsF(name).height()), Qt::AlignRight, small,
                    QColor(140, 140, 140));
        canvas.text(t.chatPreviews[i], QPointF(14, top + 24), fontFor(lang, 12), QColor(120, 120, 125));
    }
    canvas.text(t.chatNames[0], QPointF(sidebar + 20, 14), styled(fontFor(lang, 15), true), QColor(20, 20, 20));
    p.setPen(QColor(225, 225, 225));
    p.drawLine(QPointF(sidebar, 46.5), QPointF(size.width(), 46.5));

    const QFont message = fontFor(lang, 14);
    const QFontMetricsF metrics(message);
    qreal y = 62;
    for (int i = 0; i < t.chatMessages.size() && y + 70 < size.height(); ++i) {
        const bool mine = i % 2 == 1;
        const QString& text = t.chatMessages[i];
        const qreal w = std::min(metrics.horizontalAdvance(text), size.width() - sidebar - 120) + 24;
        const QRectF bubble(mine ? size.width() - 20 - w : sidebar + 20, y, w, metrics.height() + 16);
        p.setPen(Qt::NoPen);
        p.setBrush(mine ? QColor(0, 122, 255) : QColor(233, 233, 235));
        p.drawRoundedRect(bubble, 14, 14);
        canvas.text(text, bubble.topLeft() + QPointF(12, 8), message, mine ? Qt::white : QColor(20, 20, 20));
        canvas.text(t.times[i], QRectF(bubble.left(), bubble.bottom() + 3, bubble.width(), 14),
                    mine ? Qt::AlignRight : Qt::AlignLeft, small, QColor(150, 150, 150));
        y = bubble.bottom() + 28;
    }
}

void drawSpreadsheet(Screen& screen, QSize size, const ScreenTexts& t)
{
    screen.image = blank(size, screen.scale, Qt::white);
    Canvas canvas(screen.image, screen.scale, screen);
    const QFont cell = fontFor(screen.language, 13);
    drawFormulaBar(canvas, size, cell, t.sheetRows.back()[2]);

    const qreal colWidth = (size.width() - kSheetRowHeader) / 4;
    const int rows = int(t.sheetRows.size()) + 1;
    drawSheetGrid(canvas, size, colWidth, rows, QColor(205, 205, 205), cell);
    for (int r = 0; r < rows; ++r) {
        const qreal y = kSheetTop + (r + 1) * kSheetRowHeight;
        canvas.text(QString::number(r + 1), QRectF(0, y, kSheetRowHeader, kSheetRowHeight), Qt::AlignHCenter, cell,
                    QColor(90, 90, 90));
        const QStringList& values = r == 0 ? t.sheetHeaders : t.sheetRows[r - 1];
        for (int c = 0; c < 4; ++c)
            canvas.text(values[c], QRectF(kSheetRowHeader + c * colWidth + 5, y, colWidth - 10, kSheetRowHeight),
                        r > 0 && c >= 2 ? Qt::AlignRight : Qt::AlignLeft, styled(cell, r == 0 || r == rows - 1),
                        QColor(25, 25, 25));
    }
}

// Several windows with title bars over a wallpaper, under a top bar.
void drawDesktop(Screen& screen, const ScreenTexts& t)
{
    const double s = screen.scale;
    screen.image = blank(QSize(1920, 1080), s, Qt::black);
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
    canvas.text(t.panel[0], QPointF(14, 6), bar, QColor(235, 235, 235));
    canvas.text(t.panel[1], QRectF(1700, 0, 205, 28), Qt::AlignRight, bar, QColor(235, 235, 235));

    const QRect frames[] = {QRect(24, 44, 820, 560), QRect(868, 44, 1028, 560), QRect(24, 628, 700, 428),
                            QRect(748, 628, 660, 428), QRect(1432, 628, 464, 428)};  // in ScreenKind order
    for (int w = 0; w < 5; ++w) drawWindow(canvas, screen, frames[w], t.titles[w], ScreenKind(w), w + 1, t);
}

}  // namespace

void drawContent(Screen& screen, ScreenKind kind, QSize size, const ScreenTexts& t)
{
    using Draw = void (*)(Screen&, QSize, const ScreenTexts&);
    static const std::pair<ScreenKind, Draw> draw[] = {{ScreenKind::Widgets, drawWidgets},
                                                       {ScreenKind::Article, drawArticle},
                                                       {ScreenKind::Terminal, drawTerminal},
                                                       {ScreenKind::Chat, drawChat},
                                                       {ScreenKind::Spreadsheet, drawSpreadsheet},
                                                       {ScreenKind::Columns, drawColumns},
                                                       {ScreenKind::Menu, drawMenu},
                                                       {ScreenKind::Shell, drawShell},
                                                       {ScreenKind::Sheet, drawSheet}};
    for (const auto& [k, f] : draw)
        if (k == kind) f(screen, size, t);
}

void drawWindow(Canvas& canvas, Screen& screen, const QRect& frame, const QString& title, ScreenKind kind, int window,
                const ScreenTexts& t)
{
    constexpr int kTitleBar = 30;
    const double s = screen.scale;
    QPainter& p = canvas.painter();
    p.setPen(QColor(150, 150, 155));
    p.setBrush(QColor(232, 232, 234));
    p.drawRect(QRectF(frame).adjusted(0.5, 0.5, -0.5, -0.5));
    canvas.text(title, QRectF(frame.left(), frame.top(), frame.width(), kTitleBar), Qt::AlignHCenter,
                styled(fontFor(screen.language, 13), true), QColor(40, 40, 40));
    screen.lines.back().window = window;
    Screen content;
    content.language = screen.language;
    content.scale = s;
    const QRect inside(frame.left() + 1, frame.top() + kTitleBar, frame.width() - 2, frame.height() - kTitleBar - 1);
    drawContent(content, kind, inside.size(), t);
    p.save();
    p.resetTransform();
    p.drawImage(QPointF(inside.left() * s, inside.top() * s), content.image);
    p.restore();
    const int unitBase = canvas.newUnit(1001);
    const QPoint offset(int(inside.left() * s), int(inside.top() * s));
    for (const ReferenceLine& line : content.lines)
        screen.lines.push_back({line.text, line.box.translated(offset), line.unit + unitBase, window});
}

Screen drawScreen(ScreenKind kind, ScreenLanguage language, double scale)
{
    Screen screen{kindName(kind) + QLatin1Char(' ') + languageName(language) + QStringLiteral(" %1x").arg(scale), kind,
                  language, scale, {}, {}};
    const ScreenTexts texts = screenTexts(language);
    static const QSize sizes[] = {QSize(820, 530), QSize(1000, 700), QSize(760, 420), QSize(900, 560), QSize(620, 260),
                                  QSize(),         QSize(1000, 720), QSize(900, 560), QSize(760, 420), QSize(700, 300)};
    if (kind == ScreenKind::Desktop)
        drawDesktop(screen, texts);
    else if (kind == ScreenKind::Workspace)
        drawWorkspace(screen, texts);
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
    static const char* const names[] = {"widgets", "article", "terminal", "chat",  "spreadsheet", "desktop",
                                        "columns", "menu",    "shell",    "sheet", "workspace"};
    return QString::fromLatin1(names[int(kind)]);
}

bool isCjk(ScreenLanguage language) { return language == ScreenLanguage::Chinese || language == ScreenLanguage::Mixed; }

}  // namespace klipo::test
