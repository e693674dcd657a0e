// The order in which busy screens read: the layout alone (columns, menus over
// windows, tables row by row, windows never interleaved, terminal rows
// whole, articles beside sidebars and in browser columns), and what recognition hands on (paragraphs top first, each
// made of one drawn paragraph, Latin lines without Han characters).
#include "ScreenFixtures.h"
#include "corpus/GeneratedScreens.h"
#include "corpus/RealPages.h"
#include "platform/text/PageLayout.h"
#include "platform/text/ScriptCounts.h"
#include "recognition/OCRService.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <iterator>
#include <map>
#include <set>

using namespace klipo;
using namespace klipo::test;

namespace {

qint64 area(const QRect& r) { return r.isEmpty() ? 0 : qint64(r.width()) * r.height(); }

// The drawn line a box (top-left space) reads, or -1.
int drawnLineAt(const Screen& screen, const QRect& box)
{
    int best = -1;
    qint64 most = 0;
    for (size_t i = 0; i < screen.lines.size(); ++i) {
        const qint64 common = area(box & screen.lines[i].box);
        if (common * 10 >= 4 * std::min(area(box), area(screen.lines[i].box)) && common > most) {
            most = common;
            best = int(i);
        }
    }
    return best;
}

platform::PageLayout layoutOf(const Screen& screen)
{
    return platform::analysePage(screen.image.convertToFormat(QImage::Format_Grayscale8));
}

bool isAscii(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

struct ScreenCase {
    ScreenKind kind;
    ScreenLanguage language;
    double scale;
};

}  // namespace

TEST(ReadingOrder, laysOutColumnsMenusAndTableRowsInTurn_NeverInterleavingWindows)
{
    using K = ScreenKind;
    using L = ScreenLanguage;
    const ScreenCase screens[] = {{K::Columns, L::French, 2},    {K::Columns, L::Chinese, 1},
                                  {K::Menu, L::English, 1},      {K::Menu, L::Mixed, 2},
                                  {K::Menu, L::German, 1},       {K::Desktop, L::English, 1},
                                  {K::Workspace, L::English, 2}, {K::Workspace, L::Chinese, 1}};
    for (const auto& s : screens) {
        const Screen screen = drawScreen(s.kind, s.language, s.scale);
        SCOPED_TRACE(qPrintable(screen.name));
        std::vector<int> read;  // drawn lines in the order the layout reads them
        for (const platform::LayoutLine& line : layoutOf(screen).lines)
            if (const int i = drawnLineAt(screen, line.rect); i >= 0) read.push_back(i);
        std::map<int, int> lastInWindow;  // window -> drawn line read last
        int window = -1;
        for (int i : read) {
            const ReferenceLine& line = screen.lines[size_t(i)];
            if (line.window != window) {
                EXPECT_FALSE(lastInWindow.count(line.window))
                    << "window " << line.window << " read again at " << qPrintable(line.text);
                window = line.window;
            }
            const auto last = lastInWindow.find(window);
            if (last != lastInWindow.end()) {
                EXPECT_GE(i, last->second)
                    << qPrintable(line.text) << " read after " << qPrintable(screen.lines[size_t(last->second)].text);
            }
            lastInWindow[window] = i;
        }
    }
}

TEST(ReadingOrder, keepsATerminalsRowsWhole)
{
    for (const ScreenLanguage language : {ScreenLanguage::English, ScreenLanguage::Mixed}) {
        const Screen screen = drawScreen(ScreenKind::Shell, language, 2);
        SCOPED_TRACE(qPrintable(screen.name));
        const platform::PageLayout page = layoutOf(screen);
        for (const ReferenceLine& row : screen.lines) {
            if (!row.text.contains(QStringLiteral("staff"))) continue;  // the rows of `ls -l`
            std::vector<const platform::LayoutLine*> pieces;
            for (const platform::LayoutLine& line : page.lines)
                if (line.rect.intersects(row.box)) pieces.push_back(&line);
            ASSERT_EQ(pieces.size(), 1u) << qPrintable(row.text);
            EXPECT_GE(pieces[0]->rect.width() * 10, row.box.width() * 9) << qPrintable(row.text);
            EXPECT_TRUE(pieces[0]->monospaced) << qPrintable(row.text);
        }
    }
}

// A terminal sets a Chinese character two cells wide and a space one cell:
// "和" stands a cell from "Android" and from "iOS", farther apart than words
// of running text, yet it is a word of its row, not an icon beside it. Each
// such row is one line, in a terminal with too few Latin words to tell its
// spacing by.
TEST(ReadingOrder, keepsATerminalsCharacterACellFromTheWordsOnBothSidesInItsRow)
{
    const QStringList rows = {QStringLiteral("0f11f13 新同事下周一开始负责 UI 设计。"),
                              QStringLiteral("9982e7b 我们下周把 Android 和 iOS 的版本一起发布。"),
                              QStringLiteral("dev@build-01:~/docs$ cat notes.txt"),
                              QStringLiteral("我们用 Docker 部署了测试环境。"),
                              QStringLiteral("我们用 Docker 部署了测试环境。"),
                              QStringLiteral("用 Python 写了一个脚本自动整理照片。"),
                              QStringLiteral("我们下周把 Android 和 iOS 的版本一起发布。")};
    for (const int pixels : {12, 15}) {
        QFont font;
        font.setFamilies({QStringLiteral("DejaVu Sans Mono"), QStringLiteral("WenQuanYi Micro Hei Mono")});
        font.setPixelSize(pixels);
        const QFontMetrics metrics(font);
        QImage picture(520, 40 + 20 * int(rows.size()), QImage::Format_RGB32);
        picture.fill(Qt::white);
        QPainter painter(&picture);
        painter.setFont(font);
        for (int i = 0; i < int(rows.size()); ++i) painter.drawText(12, 20 + 20 * i + metrics.ascent(), rows[i]);
        painter.end();
        const platform::PageLayout page = platform::analysePage(picture);
        for (const int i : {1, 6}) {
            const QRect row(12, 20 + 20 * i, metrics.horizontalAdvance(rows[i]), metrics.height());
            std::vector<QRect> pieces;
            for (const platform::LayoutLine& line : page.lines)
                if (line.rect.intersects(row)) pieces.push_back(line.rect);
            ASSERT_EQ(pieces.size(), 1u) << pixels << " px: " << qPrintable(rows[i]);
            EXPECT_GE(pieces[0].width() * 10, row.width() * 9) << pixels << " px: " << qPrintable(rows[i]);
        }
    }
}

// A region picked from a real xterm: an `ls -la` listing, its rows packed
// closer than a row gap, over a Spanish sentence. Each row of the listing is
// one line, as the terminal shows it, and the sentence under it is still
// told monospaced (drawn back in a monospaced face once translated).
TEST(ReadingOrder, keepsATerminalsPackedListingWhole_AndTheLineUnderItMonospaced)
{
    const QImage region(QStringLiteral(KLIPO_REAL_PAGES) + QStringLiteral("/xterm-listing-es.png"));
    ASSERT_FALSE(region.isNull());
    const platform::PageLayout page = platform::analysePage(region);
    int rows = 0;
    bool sentence = false;
    for (const platform::LayoutLine& line : page.lines) {
        const int middle = line.rect.center().y();
        if (middle > 33 && middle < 122) {  // the seven rows under "total"
            ++rows;
            EXPECT_GE(line.rect.width(), 250) << line.rect.y();
            EXPECT_TRUE(line.monospaced) << line.rect.y();
        } else if (middle > 137 && middle < 163) {
            sentence = true;
            EXPECT_TRUE(line.monospaced);
        }
    }
    EXPECT_EQ(rows, 7);
    EXPECT_TRUE(sentence);
}

// Each paragraph handed on holds one drawn paragraph (a terminal's rows, a
// list's name and the preview under it, stay apart), the paragraphs come in
// reading order, a line drawn in Latin letters, digits and signs comes back
// without Han characters ("+" never as "十"), and a large headline on a
// desktop reads whole, every letter right.
TEST(ReadingOrder, readsParagraphsTopFirst_EachWhole_AndLatinLinesWithoutHan)
{
    using K = ScreenKind;
    using L = ScreenLanguage;
    const ScreenCase screens[] = {{K::Shell, L::English, 1},   {K::Shell, L::Chinese, 1},    {K::Chat, L::Chinese, 1},
                                  {K::Columns, L::English, 1}, {K::Sheet, L::English, 1},    {K::Sheet, L::Chinese, 2},
                                  {K::Menu, L::Mixed, 1},      {K::Workspace, L::English, 1}};
    for (const auto& s : screens) {
        const Screen screen = drawScreen(s.kind, s.language, s.scale);
        SCOPED_TRACE(qPrintable(screen.name));
        const OcrOutcome outcome = OCRService::recognizeBlocks(screen.image, false).result();
        ASSERT_TRUE(outcome.ok) << qPrintable(outcome.error);
        const QString headline = screenTexts(s.language).headline;
        bool headlineRead = true;
        for (const ReferenceLine& line : screen.lines)
            if (line.text == headline) headlineRead = false;
        int lastFirst = -1;
        for (const TextBlock& block : outcome.blocks) {
            for (const TextLine& line : block.lines) headlineRead = headlineRead || line.text == headline;
            std::vector<int> drawn;
            for (const TextLine& line : block.lines) {
                const int i = drawnLineAt(screen, flipped(line.rect, screen.image.height()).toAlignedRect());
                if (i < 0) continue;
                drawn.push_back(i);
                if (isAscii(screen.lines[size_t(i)].text)) {
                    EXPECT_EQ(platform::ScriptCounts::of(line.text).han, 0)
                        << qPrintable(line.text) << " for " << qPrintable(screen.lines[size_t(i)].text);
                }
            }
            if (drawn.empty()) continue;
            for (int i : drawn)
                EXPECT_EQ(screen.lines[size_t(i)].unit, screen.lines[size_t(drawn.front())].unit)
                    << "one paragraph: " << qPrintable(block.text);
            EXPECT_GT(drawn.front(), lastFirst) << "out of turn: " << qPrintable(block.text);
            lastFirst = std::max(lastFirst, drawn.front());
        }
        EXPECT_TRUE(headlineRead) << "headline: " << qPrintable(headline);
    }
}

namespace {

// Whether a page's lines read as a headline (above `headlineBottom`), then
// its left column (of `perColumn` lines, left of `middle`), then its right
// (of `rightLines`, as many when -1).
void expectColumnByColumn(const QImage& page, int middle, int perColumn, int headlineBottom = 0, int rightLines = -1)
{
    std::vector<int> sides;  // 0 headline, 1 left column, 2 right column, in the order read
    for (const platform::LayoutLine& line : platform::analysePage(page).lines)
        sides.push_back(line.rect.bottom() < headlineBottom ? 0 : line.rect.center().x() < middle ? 1 : 2);
    ASSERT_EQ(std::count(sides.begin(), sides.end(), 1), perColumn);
    ASSERT_EQ(std::count(sides.begin(), sides.end(), 2), rightLines < 0 ? perColumn : rightLines);
    std::string read;
    for (int side : sides) read += char('0' + side);
    EXPECT_TRUE(std::is_sorted(sides.begin(), sides.end())) << "sides in the order read: " << read;
}

}  // namespace

// A headline across two columns whose two-line paragraphs start side by side,
// with the gap under the headline narrower than those between paragraphs (a
// Tk page of two message columns): each column still reads to its end first.
TEST(ReadingOrder, readsColumnsUnderAHeadline_WhoseParagraphGapsAreWiderThanTheOneUnderIt)
{
    QImage page(1000, 320, QImage::Format_Grayscale8);
    page.fill(235);
    QPainter p(&page);
    p.setPen(QColor(20, 20, 20));
    QFont headline(QStringLiteral("DejaVu Serif"));
    headline.setPixelSize(36);
    headline.setBold(true);
    p.setFont(headline);
    p.drawText(QRect(0, 16, 1000, 46), Qt::AlignHCenter, QStringLiteral("El nuevo puerto abre sus puertas"));
    QFont body(QStringLiteral("DejaVu Sans"));
    body.setPixelSize(16);
    p.setFont(body);
    const QStringList columns[] = {{QStringLiteral("La ciudad inauguró ayer el nuevo puerto deportivo"),
                                    QStringLiteral("después de tres años de obras."),
                                    QStringLiteral("Los vecinos celebraron la apertura con una fiesta"),
                                    QStringLiteral("en la plaza mayor hasta la noche."),
                                    QStringLiteral("El alcalde prometió que el puerto traerá empleo"),
                                    QStringLiteral("y turismo durante todo el año.")},
                                   {QStringLiteral("En otra noticia, la biblioteca municipal amplía su"),
                                    QStringLiteral("horario durante los meses de verano."),
                                    QStringLiteral("Los lectores podrán pedir libros prestados los"),
                                    QStringLiteral("domingos por la mañana desde julio."),
                                    QStringLiteral("La directora explicó que la medida responde a"),
                                    QStringLiteral("una petición de muchos estudiantes.")}};
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < 6; ++i) p.drawText(QPointF(50 + c * 480, 96 + (i / 2) * 70 + (i % 2) * 20), columns[c][i]);
    p.end();

    expectColumnByColumn(page, 500, 6, 70);
}

// Two columns of prose set with a line's height between their lines (a
// browser's article at double spacing): every line stands level with one
// beside it, as a table's cells do, yet each column reads to its end first.
TEST(ReadingOrder, readsColumnsOfWidelySpacedProse_ColumnByColumn_NotRowByRow)
{
    QFont serif(QStringLiteral("DejaVu Serif"));
    serif.setPixelSize(17);
    QImage page(760, 360, QImage::Format_Grayscale8);
    page.fill(255);
    QPainter p(&page);
    p.setFont(serif);
    const QStringList lines = {QStringLiteral("La bibliothèque prolonge ses"),   QStringLiteral("horaires pendant la période des"),
                               QStringLiteral("examens. Les billets du festival"), QStringLiteral("d'été se sont vendus en"),
                               QStringLiteral("quelques heures. Des chercheurs"),  QStringLiteral("ont montré qu'une courte marche"),
                               QStringLiteral("après le déjeuner aide à se"),      QStringLiteral("concentrer. Le conseil a approuvé"),
                               QStringLiteral("mardi un nouveau plan de transport.")};
    const int width = 330;
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < int(lines.size()); ++i)
            p.drawText(QPointF(30 + c * (width + 42), 40 + i * 33), lines[(i + c * 4) % lines.size()]);
    p.end();

    expectColumnByColumn(page, 30 + width + 21, int(lines.size()));
}

// Two columns of prose a narrow gutter apart whose paragraphs start side by
// side: the gap between paragraphs runs across both and is wider than the
// gutter, and a paragraph of the left column may be a single line. Each
// column still reads to its end first, never paragraph by paragraph across.
TEST(ReadingOrder, readsColumnsWhoseParagraphGapIsWiderThanTheGutter_ColumnByColumn)
{
    const QStringList left = {QStringLiteral("The council met on Tuesday evening to discuss"),
                              QStringLiteral("the new bus routes through the old town and"),
                              QStringLiteral("agreed to try them for six months before any"),
                              QStringLiteral("decision is made about the summer timetable.")};
    const QStringList right = {QStringLiteral("Residents asked for more evening buses and"),
                               QStringLiteral("for a stop near the hospital, which the plan"),
                               QStringLiteral("had left out. The council promised to look"),
                               QStringLiteral("at both requests before the trial begins."),
                               QStringLiteral("Tickets bought for the old routes remain"),
                               QStringLiteral("valid until the end of the year, and the"),
                               QStringLiteral("monthly passes keep their price as well.")};
    const QStringList note = {QStringLiteral("Short note.")};
    const QStringList twoLines = {QStringLiteral("Short note on the buses"), QStringLiteral("and their stops.")};
    const int gutter = 29;  // empty columns between the columns
    struct Case {
        int size;
        int paragraphGap;    // empty rows between the paragraphs, across both
        QStringList second;  // the left column's second paragraph
    };
    for (const Case& c : {Case{13, 32, note}, Case{15, 32, note}, Case{15, 40, note}, Case{15, 40, twoLines}}) {
        SCOPED_TRACE(std::to_string(c.size) + " px, gap " + std::to_string(c.paragraphGap) + ", " +
                     c.second[0].toStdString());
        QFont sans(QStringLiteral("DejaVu Sans"));
        sans.setPixelSize(c.size);
        const QFontMetrics metrics(sans);
        const auto ink = [&](const QString& line) { return metrics.tightBoundingRect(line); };
        int leftWidth = 0;
        for (const QString& line : left + c.second) leftWidth = std::max(leftWidth, ink(line).right() + 1);
        const int rightX = 30 + leftWidth + gutter;
        // Baselines: the second paragraphs' first begins `paragraphGap` rows under the ink of the first's last.
        const int pitch = c.size * 4 / 3;
        const int last = 40 + 3 * pitch;
        const int second = last + std::max(ink(left[3]).bottom(), ink(right[3]).bottom()) + 1 + c.paragraphGap -
                           std::min(ink(c.second[0]).top(), ink(right[4]).top());
        QImage page(rightX + 30 * c.size, second + 4 * pitch, QImage::Format_Grayscale8);
        page.fill(255);
        QPainter p(&page);
        p.setFont(sans);
        p.setPen(QColor(20, 20, 20));
        for (int i = 0; i < 4; ++i) {
            p.drawText(QPointF(30, 40 + i * pitch), left[i]);
            p.drawText(QPointF(rightX, 40 + i * pitch), right[i]);
        }
        for (int i = 0; i < int(c.second.size()); ++i) p.drawText(QPointF(30, second + i * pitch), c.second[i]);
        for (int i = 4; i < int(right.size()); ++i) p.drawText(QPointF(rightX, second + (i - 4) * pitch), right[i]);
        p.end();

        expectColumnByColumn(page, rightX - gutter / 2, 4 + int(c.second.size()), 0, int(right.size()));
    }
}

// Pages a browser drew: an article with a picture beside a sidebar (in English,
// and in Chinese beside a list of headlines), articles
// in CSS columns (whose paragraph gaps do not line up) beside a list of
// sections, a post with a picture beside two cards. Each part (the article,
// the sidebar, each card) is read whole and in its own order, and no line
// runs into another part's.
TEST(ReadingOrder, readsArticlesBesideSidebarsAndBrowserColumns_ColumnByColumn_WithNoJoinedLines)
{
    const QString folder = QStringLiteral(KLIPO_REAL_PAGES);
    for (const QString& name : {QStringLiteral("news-sidebar-en"), QStringLiteral("news-zh"),
                                QStringLiteral("columns-en"), QStringLiteral("blog-mixed")}) {
        const Screen screen = loadRealPage(folder, name).screen;
        SCOPED_TRACE(qPrintable(screen.name));
        ASSERT_FALSE(screen.image.isNull());
        std::vector<std::pair<int, int>> partsRead;  // part and drawn line, in the order read
        for (const platform::LayoutLine& line : platform::analysePage(screen.image).lines) {
            std::set<int> parts;
            for (const ReferenceLine& drawn : screen.lines)
                if (area(line.rect & drawn.box) * 2 >= area(drawn.box) && drawn.box.top() < line.rect.center().y() &&
                    line.rect.center().y() < drawn.box.bottom())
                    parts.insert(drawn.part);
            EXPECT_LE(parts.size(), 1u) << "line at " << line.rect.x() << "," << line.rect.y() << " joins parts";
            if (const int i = drawnLineAt(screen, line.rect); i >= 0)
                partsRead.emplace_back(screen.lines[size_t(i)].part, i);
        }
        std::map<int, int> lastOfPart;
        int part = -1;
        for (const auto& [p, i] : partsRead) {
            if (p != part) {
                EXPECT_FALSE(lastOfPart.count(p))
                    << "part " << p << " read again at " << qPrintable(screen.lines[size_t(i)].text);
                part = p;
            }
            if (lastOfPart.count(p)) {
                EXPECT_GE(i, lastOfPart[p]) << qPrintable(screen.lines[size_t(i)].text) << " read after "
                                            << qPrintable(screen.lines[size_t(lastOfPart[p])].text);
            }
            lastOfPart[p] = i;
        }
    }
}

namespace {

// Sets a painter to write dark text in the sans face, `pixels` high.
void writeSans(QPainter& p, int pixels)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    p.setFont(font);
    p.setPen(QColor(30, 30, 30));
}

// The parts of a page in the order its lines read: `partOf` names the part a
// line's box lies in.
template <typename PartOf>
std::vector<int> partsInReadingOrder(const QImage& page, PartOf partOf)
{
    std::vector<int> parts;
    for (const platform::LayoutLine& line : platform::analysePage(page).lines) parts.push_back(partOf(line.rect));
    return parts;
}

}  // namespace

// A settings window whose menu bar has a pop-up open under it: the pop-up
// hangs from the bar and hides the top of the rule beside the list of
// sections, so that no empty row parts the bar from what lies below it and
// the rule, running on up through the space between two of the bar's words,
// looks like a column gap. The bar still reads whole and first, then the pop-up; the list of
// sections reads before the page beside it.
TEST(ReadingOrder, readsAMenuBarOverAnOpenPopUpWhole_BeforeTheColumnsBelowIt)
{
    QImage page(900, 460, QImage::Format_RGB32);
    page.fill(QColor(250, 250, 250));
    QPainter p(&page);
    writeSans(p, 14);
    const int rule = 200;
    // "Edición" ends a few pixels before the rule, "Ver" starts a few after.
    const int edit = rule - 5 - p.fontMetrics().horizontalAdvance(QStringLiteral("Edición"));
    const int file = edit - 16 - p.fontMetrics().horizontalAdvance(QStringLiteral("Archivo"));
    const std::pair<int, QString> bar[] = {{file, QStringLiteral("Archivo")}, {edit, QStringLiteral("Edición")},
                                           {rule + 6, QStringLiteral("Ver")}, {262, QStringLiteral("Favoritos")},
                                           {362, QStringLiteral("Ventana")},  {452, QStringLiteral("Ayuda")}};
    for (const auto& [x, word] : bar) p.drawText(QPointF(x, 21), word);
    const QStringList sections = {QStringLiteral("General"),    QStringLiteral("Pantalla"), QStringLiteral("Sonido"),
                                  QStringLiteral("Teclado"),    QStringLiteral("Ratón"),    QStringLiteral("Red"),
                                  QStringLiteral("Impresoras"), QStringLiteral("Usuarios"), QStringLiteral("Fecha"),
                                  QStringLiteral("Energía"),    QStringLiteral("Idioma"),   QStringLiteral("Copias")};
    for (int i = 0; i < int(sections.size()); ++i) p.drawText(QPointF(14, 60 + 32 * i), sections[i]);
    p.fillRect(QRect(rule, 30, 1, 430), QColor(150, 150, 150));
    const QStringList lines = {QStringLiteral("El brillo de la pantalla se ajusta según la luz del día."),
                               QStringLiteral("Las ventanas nuevas se abren en el centro del escritorio."),
                               QStringLiteral("Los avisos se muestran durante cinco segundos como mucho."),
                               QStringLiteral("El tamaño del texto cambia en todas las aplicaciones."),
                               QStringLiteral("La pantalla se apaga tras diez minutos sin actividad."),
                               QStringLiteral("Los colores se suavizan por la noche para descansar la vista."),
                               QStringLiteral("El fondo del escritorio cambia cada mañana a las ocho."),
                               QStringLiteral("Las teclas rápidas se guardan con el resto de los ajustes."),
                               QStringLiteral("Los cambios se aplican en cuanto se cierra esta ventana.")};
    for (int i = 0; i < int(lines.size()); ++i) p.drawText(QPointF(232, 64 + 44 * i), lines[i]);
    // The pop-up, hanging from "Edición", over the list and the page.
    const QRect popUp(edit - 8, 26, 250, 154);
    p.fillRect(popUp, QColor(255, 255, 255));
    p.setPen(QColor(170, 170, 170));
    p.drawRect(popUp.adjusted(0, 0, -1, -1));
    p.setPen(QColor(30, 30, 30));
    const std::pair<QString, QString> items[] = {{QStringLiteral("Deshacer"), QStringLiteral("Ctrl+Z")},
                                                 {QStringLiteral("Rehacer"), QStringLiteral("Ctrl+Y")},
                                                 {QStringLiteral("Cortar"), QStringLiteral("Ctrl+X")},
                                                 {QStringLiteral("Copiar"), QStringLiteral("Ctrl+C")},
                                                 {QStringLiteral("Pegar"), QStringLiteral("Ctrl+V")}};
    for (int i = 0; i < 5; ++i) {
        p.drawText(QPointF(edit + 6, 56 + 28 * i), items[i].first);
        p.setPen(QColor(110, 110, 110));
        p.drawText(QPointF(edit + 170, 56 + 28 * i), items[i].second);
        p.setPen(QColor(30, 30, 30));
    }
    p.end();

    // 0 the bar, 1 the pop-up, 2 the list of sections, 3 the page.
    const std::vector<int> parts = partsInReadingOrder(page, [&](const QRect& r) {
        if (r.bottom() < 30) return 0;
        if (popUp.contains(r.center())) return 1;
        return r.center().x() < rule ? 2 : 3;
    });
    SCOPED_TRACE(::testing::PrintToString(parts));
    const auto barLines = std::count(parts.begin(), parts.end(), 0);
    ASSERT_GE(barLines, 4);
    EXPECT_TRUE(std::all_of(parts.begin(), parts.begin() + barLines, [](int part) { return part == 0; }));
    std::vector<int> turns;  // each part as its turn comes
    std::unique_copy(parts.begin(), parts.end(), std::back_inserter(turns));
    EXPECT_EQ(turns.size(), 4u);
    EXPECT_LT(std::find(turns.begin(), turns.end(), 2), std::find(turns.begin(), turns.end(), 3));
}

// Articles in browser columns whose gaps do not line up: a headline over the
// first two of three columns with little room under it; lines set so far
// apart that each stands alone; paragraphs of different lengths, so that a gap
// between lines of one column now and then lies level with one of the next.
// The headline reads first, then each column to its end.
TEST(ReadingOrder, readsColumnsWhoseGapsDoNotLineUp_ColumnByColumn)
{
    QImage page(1300, 470, QImage::Format_Grayscale8);
    page.fill(255);
    QPainter p(&page);
    p.setPen(QColor(25, 25, 25));
    QFont headline(QStringLiteral("DejaVu Serif"));
    headline.setPixelSize(30);
    headline.setBold(true);
    p.setFont(headline);
    p.drawText(QPointF(30, 40), QStringLiteral("Bridge over the harbour opens next spring"));
    writeSans(p, 15);
    const QStringList words = QStringLiteral(
                                  "Buses will run every ten minutes on the main routes from the first of March and "
                                  "the council approved a new plan for public transport on Tuesday evening while the "
                                  "library extended its opening hours during the exam period")
                                  .split(QLatin1Char(' '));
    // Paragraph lengths in lines, per column: their gaps fall at other heights.
    const std::vector<int> paragraphs[] = {{2, 3, 1, 3}, {3, 2, 2, 2}, {1, 4, 2, 2}};
    int word = 0;
    for (int c = 0; c < 3; ++c) {
        int y = 74;
        for (const int count : paragraphs[c]) {
            for (int l = 0; l < count; ++l, y += 30) {
                QString line;
                while (p.fontMetrics().horizontalAdvance(line + words[word % words.size()]) < 380)
                    line += words[word++ % words.size()] + QLatin1Char(' ');
                p.drawText(QPointF(30 + 420 * c, y), line.trimmed());
            }
            y += 14;
        }
    }
    p.end();

    // 0 the headline, then the columns 1 to 3.
    const std::vector<int> parts =
        partsInReadingOrder(page, [](const QRect& r) { return r.bottom() < 50 ? 0 : 1 + r.center().x() / 420; });
    SCOPED_TRACE(::testing::PrintToString(parts));
    for (int c = 0; c < 4; ++c) ASSERT_GE(std::count(parts.begin(), parts.end(), c), 1) << "part " << c;
    EXPECT_TRUE(std::is_sorted(parts.begin(), parts.end()));
}

// A list of places beside a list of files (a name, a size and a date in each
// row, after an icon taller than the name), the two spaced a little
// differently, so that now and then a place stands level with a file, then
// drifts away again: the places read first, then the files row by row.
TEST(ReadingOrder, readsAListOfPlacesBesideAListOfFiles_ApartAndTheFilesRowByRow)
{
    QImage page(1000, 560, QImage::Format_Grayscale8);
    page.fill(250);
    QPainter p(&page);
    writeSans(p, 15);
    const QStringList places = {QStringLiteral("Documents"), QStringLiteral("Downloads"), QStringLiteral("Music"),
                                QStringLiteral("Pictures"),  QStringLiteral("Videos"),    QStringLiteral("Projects"),
                                QStringLiteral("Desktop"),   QStringLiteral("Backups"),   QStringLiteral("Archive"),
                                QStringLiteral("Shared"),    QStringLiteral("Trash"),     QStringLiteral("Recent"),
                                QStringLiteral("Network"),   QStringLiteral("Public")};
    for (int i = 0; i < int(places.size()); ++i) p.drawText(QPointF(20, 40 + 36 * i), places[i]);
    const QStringList files = {
        QStringLiteral("main.html"),   QStringLiteral("report.py"),  QStringLiteral("notes.txt"),
        QStringLiteral("budget.xlsx"), QStringLiteral("setup.sh"),   QStringLiteral("README.md"),
        QStringLiteral("photo.png"),   QStringLiteral("slides.pdf"), QStringLiteral("data.csv"),
        QStringLiteral("index.js"),    QStringLiteral("todo.org"),   QStringLiteral("plan.docx")};
    for (int i = 0; i < int(files.size()); ++i) {
        const int y = 40 + 41 * i;
        // A document's icon, taller than the name beside it.
        p.drawRect(QRect(232, y - 22, 18, 26));
        for (int k = 0; k < 3; ++k) p.drawLine(236, y - 15 + 6 * k, 246, y - 15 + 6 * k);
        p.drawText(QPointF(260, y), files[i]);
        p.drawText(QPointF(560, y), QStringLiteral("%1 KB").arg(100 + 37 * i));
        p.drawText(QPointF(740, y), QStringLiteral("2024-0%1-1%2 10:2%3").arg(1 + i % 9).arg(i % 10).arg(i % 10));
    }
    p.end();

    // The place, or the row of the file, each line reads.
    std::vector<int> rows;
    for (const platform::LayoutLine& line : platform::analysePage(page).lines)
        rows.push_back(line.rect.center().x() < 200 ? -1 : (line.rect.center().y() - 25) / 41);
    SCOPED_TRACE(::testing::PrintToString(rows));
    ASSERT_EQ(std::count(rows.begin(), rows.end(), -1), qsizetype(places.size()));
    EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end()));
}

// An editor's lines of short words among lines of code ("with open(path)
// as f:", a comment's "visiteurs à la réouverture"): "as" and "f:" stand a
// cell from the words on both sides, however far their ink lies inside the
// cells, so the lines keep telling monospaced text and read whole.
TEST(ReadingOrder, keepsAnEditorsLinesOfShortWordsWhole)
{
    const Screen screen = generateScreen(203360);
    const auto drawn = std::find_if(screen.lines.begin(), screen.lines.end(), [](const ReferenceLine& l) {
        return l.text == QLatin1String("with open(path) as f:");
    });
    ASSERT_NE(drawn, screen.lines.end());
    int holding = 0;
    for (const platform::LayoutLine& line : layoutOf(screen).lines)
        if (line.rect.intersects(drawn->box)) {
            ++holding;
            EXPECT_GE(line.rect.right(), drawn->box.right() - 8) << line.rect.x();
        }
    EXPECT_EQ(holding, 1);
}

// A table ruled both ways in a window, with a word just outside the window's
// edge, so that the table's column rules run further down the region than its
// row rules run across it: still a grid, read row by row.
TEST(ReadingOrder, readsARuledGridRowByRow_WithAWordBesideIt)
{
    QImage page(1000, 420, QImage::Format_Grayscale8);
    page.fill(255);
    QPainter p(&page);
    writeSans(p, 15);
    // A word just outside the window's edge.
    p.drawText(QPointF(176, 200), QStringLiteral("Nota"));
    p.drawLine(226, 10, 226, 410);
    const int left = 240;
    const int columns[] = {left, 420, 600, 780, 960};
    const int rowHeight = 34;
    const QStringList names = {QStringLiteral("Exporter"),   QStringLiteral("Paramètres"), QStringLiteral("Paiement"),
                               QStringLiteral("Historique"), QStringLiteral("Affichage"),  QStringLiteral("Partager"),
                               QStringLiteral("Fichier"),    QStringLiteral("Ouvrir"),     QStringLiteral("Envoyés"),
                               QStringLiteral("Langue")};
    for (int i = 0; i < int(names.size()); ++i) {
        const int y = 40 + rowHeight * i;
        p.drawText(QPointF(columns[0] + 8, y + 23), names[i]);
        p.drawText(QPointF(columns[1] + 8, y + 23), QString::number(10000 + 7919 * i));
        p.drawText(QPointF(columns[2] + 8, y + 23),
                   i % 2 ? QStringLiteral("Théo Girard") : QStringLiteral("Léa Moreau"));
        p.drawText(QPointF(columns[3] + 8, y + 23), QStringLiteral("2024-03-%1").arg(10 + i));
    }
    p.setPen(QColor(160, 160, 160));
    for (int i = 0; i <= int(names.size()); ++i) p.drawLine(left, 40 + rowHeight * i, columns[4], 40 + rowHeight * i);
    for (const int x : columns) p.drawLine(x, 40, x, 40 + rowHeight * int(names.size()));
    p.end();

    // The row of each line read in the table (-1 the note).
    std::vector<int> rows;
    for (const platform::LayoutLine& line : platform::analysePage(page).lines)
        if (line.rect.center().x() > left) rows.push_back((line.rect.center().y() - 40) / rowHeight);
    SCOPED_TRACE(::testing::PrintToString(rows));
    ASSERT_GE(rows.size(), 4 * names.size() - 4);
    EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end()));
}

// Rows closer together than the gap between two paragraphs' lines: a list of
// files one a line, and a table whose rules part only every second row (its
// rows striped between them), each with columns far apart. Both read row by
// row, never a column to its end first.
TEST(ReadingOrder, readsPackedRowsAndRowsBetweenSparseRulesRowByRow)
{
    const QStringList names = {QStringLiteral("main.html"),   QStringLiteral("report.py"),  QStringLiteral("notes.txt"),
                               QStringLiteral("budget.xlsx"), QStringLiteral("setup.sh"),   QStringLiteral("README.md"),
                               QStringLiteral("photo.png"),   QStringLiteral("slides.pdf"), QStringLiteral("data.csv"),
                               QStringLiteral("index.js"),    QStringLiteral("todo.org"),   QStringLiteral("plan.docx"),
                               QStringLiteral("archive.zip"), QStringLiteral("backup.tar")};
    const int top = 30;
    for (const bool ruled : {false, true}) {
        SCOPED_TRACE(ruled ? "rules every second row" : "packed files list");
        // Lines about 15 pixels high, 18 apart in the list (far less than a
        // row gap between them) and 32 apart in the table.
        const int pitch = ruled ? 32 : 18;
        QImage page(1000, top + pitch * int(names.size()) + 30, QImage::Format_Grayscale8);
        page.fill(255);
        QPainter p(&page);
        writeSans(p, 14);
        for (int i = 0; i < int(names.size()); ++i) {
            const int base = top + pitch * i + (pitch + 10) / 2;
            if (!ruled) {
                // A folder's icon, as tall as the line.
                p.fillRect(QRect(30, base - 12, 14, 13), QColor(60, 60, 60));
            }
            p.drawText(QPointF(56, base), names[i]);
            p.drawText(QPointF(420, base), QStringLiteral("%1 KB").arg(100 + 37 * i));
            p.drawText(QPointF(640, base), QStringLiteral("2024-0%1-1%2 10:2%3").arg(1 + i % 9).arg(i % 10).arg(i % 7));
        }
        if (ruled) {
            p.setPen(QColor(150, 150, 150));
            for (int i = 0; i <= int(names.size()); i += 2) p.drawLine(20, top + pitch * i, 900, top + pitch * i);
            for (const int x : {20, 400, 620, 900}) p.drawLine(x, top, x, top + pitch * int(names.size()));
        }
        p.end();

        std::vector<int> rows;
        for (const platform::LayoutLine& line : platform::analysePage(page).lines)
            if (line.rect.center().x() > 50) rows.push_back((line.rect.center().y() - top) / pitch);
        SCOPED_TRACE(::testing::PrintToString(rows));
        ASSERT_GE(rows.size(), 3 * names.size() - 2);
        EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end()));
    }
}

// A generated files window at twice the density: its list of places stands
// close beside the files, whose icons stand a space or so before each name
// and whose columns stand near each other. The room beside each icon is no
// word space of monospaced text: each part of the window (its places, its
// files) reads whole.
TEST(ReadingOrder, readsPlacesCloseBesideFilesWithIcons_EachWhole)
{
    const Screen screen = generateScreen(66);
    std::vector<std::pair<int, int>> parts;  // (window, part) of each line in reading order, once a run
    for (const platform::LayoutLine& line : layoutOf(screen).lines) {
        const int drawn = drawnLineAt(screen, line.rect);
        if (drawn < 0) continue;
        const std::pair<int, int> part(screen.lines[size_t(drawn)].window, screen.lines[size_t(drawn)].part);
        if (parts.empty() || parts.back() != part) parts.push_back(part);
    }
    SCOPED_TRACE(::testing::PrintToString(parts));
    const std::set<std::pair<int, int>> distinct(parts.begin(), parts.end());
    EXPECT_EQ(distinct.size(), parts.size());
}

// A generated grid of files on a dark ground: over each short name a grey
// sheet or a filled folder, three times as tall as the text, as many icons as
// names. The icons are no text: each name is read, as a line of its own
// no taller than the name, not stacked under its icon.
TEST(ReadingOrder, readsAFilesGridsNamesWithoutTheIconsOverThem)
{
    const Screen screen = generateScreen(88);
    std::vector<int> read(screen.lines.size(), 0);
    for (const platform::LayoutLine& line : layoutOf(screen).lines) {
        const int drawn = drawnLineAt(screen, line.rect);
        if (drawn < 0) continue;
        ++read[size_t(drawn)];
        EXPECT_LE(line.rect.height(), 2 * screen.lines[size_t(drawn)].box.height())
            << "stacked: " << qPrintable(screen.lines[size_t(drawn)].text);
    }
    for (size_t i = 0; i < screen.lines.size(); ++i)
        EXPECT_EQ(read[i], 1) << qPrintable(screen.lines[i].text);
}

// A window with a table ruled both ways, its columns far wider than their
// words, beside a window of prose at another line pitch: the room between
// the windows is narrower than the room between the table's columns. The
// windows read one after the other, the table row by row.
TEST(ReadingOrder, readsARuledTableBesideAnotherWindow_WindowByWindow_AndTheTableRowByRow)
{
    QImage page(1280, 520, QImage::Format_Grayscale8);
    page.fill(235);
    QPainter p(&page);
    const QStringList names =
        QStringLiteral("Exporter Paiement Fichier Ouvrir Envoyés Langue Partager Clavier Total Aide Notes Musique")
            .split(u' ');
    const QStringList prose =
        QStringLiteral(
            "The weather service warns of strong winds|along the coast tomorrow. The|library has extended "
            "its opening hours|during the exam period.|Local shops expect more visitors once the|old market "
            "square reopens in|spring, and the council will vote on the|new transport plan next week.|"
            "Engineers are testing quieter trains on|the night line to the airport.")
            .split(u'|');
    const int rowTop = 60;
    const int rowHeight = 30;
    const int columns[] = {20, 260, 500, 750};
    for (const QRect& window : {QRect(10, 10, 750, 440), QRect(772, 10, 498, 440)}) {
        p.fillRect(window, QColor(255, 255, 255));
        p.fillRect(QRect(window.left(), window.top(), window.width(), 28), QColor(70, 70, 70));
        p.setPen(QColor(120, 120, 120));
        p.drawRect(window);
    }
    writeSans(p, 14);
    for (int i = 0; i < int(names.size()); ++i) {
        const int base = rowTop + rowHeight * i + 20;
        p.drawText(QPointF(columns[0] + 8, base), names[i]);
        p.drawText(QPointF(columns[1] + 8, base), names[(i + 5) % names.size()]);
        // Prices set flush right against the table's edge.
        const QString price = QStringLiteral("%1,%2 €").arg(10 + 37 * i).arg(10 + i);
        p.drawText(QRectF(columns[2], base - 16, columns[3] - columns[2] - 10, 20), Qt::AlignRight, price);
    }
    for (int i = 0; i < int(prose.size()); ++i) p.drawText(QPointF(784, 70 + 21 * i), prose[i]);
    p.setPen(QColor(160, 160, 160));
    for (int i = 0; i <= int(names.size()); ++i)
        p.drawLine(columns[0], rowTop + rowHeight * i, columns[3], rowTop + rowHeight * i);
    for (const int x : columns) p.drawLine(x, rowTop, x, rowTop + rowHeight * int(names.size()));
    p.end();

    // The row of each line read in the table, 100 for the prose beside it.
    std::vector<int> rows;
    for (const platform::LayoutLine& line : platform::analysePage(page).lines)
        if (line.rect.top() > rowTop)
            rows.push_back(line.rect.center().x() > 772 ? 100 : (line.rect.center().y() - rowTop) / rowHeight);
    SCOPED_TRACE(::testing::PrintToString(rows));
    ASSERT_GE(std::count_if(rows.begin(), rows.end(), [](int row) { return row < 100; }), 3 * names.size() - 3);
    EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end()));
}
