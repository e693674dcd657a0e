#pragma once

#include <QImage>
#include <QRect>
#include <QRegion>
#include <QStringList>

#include <vector>

namespace klipo::test {

// Realistic screens drawn here, with the text they show: Qt widgets with a
// menu bar, a form and a table; a two-column article with captions; a dark
// terminal; a chat with bubbles; a spreadsheet; and a full desktop of several
// windows over a wallpaper. And busier ones: a two-column article under a
// large bold headline whose paragraphs line up across the columns; an open
// menu over a settings window beside its form; a terminal with `git status`
// and `ls -l`; a spreadsheet of shortcuts with signed percentages; and a
// desktop of overlapping windows holding these.

enum class ScreenLanguage { English, Chinese, Mixed, Spanish, French, German };
enum class ScreenKind {
    Widgets,
    Article,
    Terminal,
    Chat,
    Spreadsheet,
    Desktop,
    Columns,
    Menu,
    Shell,
    Sheet,
    Workspace
};
constexpr int kScreenKinds = 11;

// One line of text as drawn: its box in image pixels (top-left origin) and
// the unit it belongs to. Lines of one unit may be read as one line (menu
// titles of one menu bar); lines of different units never may.
struct ReferenceLine {
    QString text;
    QRect box;
    int unit = 0;
    int window = 0;  // which window of a desktop (0 elsewhere)
    int part = 0;    // which part of its window (a sidebar, an open menu): parts read in any order, each whole
};

struct Screen {
    QString name;
    ScreenKind kind = ScreenKind::Widgets;
    ScreenLanguage language = ScreenLanguage::English;
    double scale = 1;
    QImage image;
    std::vector<ReferenceLine> lines;  // in reading order
    // What shows of text partly hidden (under a window), one region a line:
    // whatever is read mostly there is not scored.
    std::vector<QRegion> ignored;
};

// How much of `box` lies in `region`, in pixels.
inline qint64 areaIn(const QRect& box, const QRegion& region)
{
    qint64 sum = 0;
    for (const QRect& r : region.intersected(box)) sum += qint64(r.width()) * r.height();
    return sum;
}

// Draws one screen; `scale` 2 draws it as a high-density display shows it.
// Needs a QApplication (the widgets screen renders real widgets).
Screen drawScreen(ScreenKind kind, ScreenLanguage language, double scale = 1);

QString languageName(ScreenLanguage language);
QString kindName(ScreenKind kind);
bool isCjk(ScreenLanguage language);

// What the drawn screens say, in one language.
struct ScreenTexts {
    QStringList menus, formLabels, formValues, buttons, tableHeaders;
    QList<QStringList> tableRows;
    QString checkbox, status, articleTitle, byline, caption;
    QStringList sentences, terminal, chatNames, chatPreviews, chatMessages, times, sheetHeaders;
    QList<QStringList> sheetRows;
    QStringList titles;  // window titles: widgets, article, terminal, chat, spreadsheet
    QStringList panel;   // the desktop's top bar: left and right
    QString headline, formHeading;
    QList<QStringList> menuItems;  // label and key of each item of an open menu
    QStringList sections;          // a settings window's list of pages
    QStringList listing;           // `ls -l` of a folder, its first line the total
    QStringList keyHeaders;
    QList<QStringList> keyRows;  // a spreadsheet of shortcuts: action, keys, uses, change
    QStringList moreTitles;      // window titles: columns, menu, shell, sheet
};

ScreenTexts screenTexts(ScreenLanguage language);

}  // namespace klipo::test
