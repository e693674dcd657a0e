#pragma once

// Pages in a real browser (chromium) for the desktop tests and the benchmark
// of scrolling capture: an app window (no tabs, no address bar; the browser's
// own info bar about --no-sandbox shows above the page), pages from files.
#include "NumberedPage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace klipo::test {

// The pages. Each handles three keys itself, at once, without the browser's
// smooth scrolling: Home (back to the top), J (100 pixels down) and P (its
// animations paused, or going again); and titles itself "klipo-page" once
// drawn (BrowserPage gives each page a title of its own instead).
namespace pages {

inline QString document(const QString& style, const QString& body)
{
    return QStringLiteral(
               "<!doctype html><html><head><meta charset=\"utf-8\"><style>"
               "body{margin:0;font:16px \"DejaVu Sans\";background:#fff;color:#222}%1</style></head>"
               "<body>%2<script>"
               "addEventListener('keydown',e=>{if(e.key==='Home'){scrollTo({top:0,behavior:'instant'});"
               "e.preventDefault()}if(e.key==='j'){scrollBy({top:100,behavior:'instant'});e.preventDefault()}"
               "if(e.key==='p'){document.body.classList.toggle('still');e.preventDefault()}});"
               "requestAnimationFrame(()=>requestAnimationFrame(()=>{document.title='klipo-page'}));"
               "</script></body></html>")
        .arg(style, body);
}

// Words of a line of the page, the same for the same seed.
inline QString words(QRandomGenerator& rng)
{
    static const char* const list[] = {"alpha", "bravo", "charlie", "delta", "echo", "foxtrot", "golf",
                                       "hotel", "india", "juliet", "kilo",  "lima", "mike"};
    QStringList line;
    for (int i = 0, n = 2 + int(rng.bounded(8)); i < n; ++i) line << QString::fromLatin1(list[rng.bounded(13)]);
    return line.join(' ');
}

// Numbered rows of 34 px under a 56 px sticky header bar, with a fixed
// round "back to top" button at the bottom right.
inline QString stickyHeader(int rows)
{
    QRandomGenerator rng(3);
    QString body = QStringLiteral("<header>Sticky header</header>");
    for (int n = 1; n <= rows; ++n)
        body += QStringLiteral("<div class=row>%1 %2</div>").arg(n, 3, 10, QLatin1Char('0')).arg(words(rng));
    body += QStringLiteral("<div id=top>&#8593;</div>");
    return document(QStringLiteral("header{position:sticky;top:0;height:56px;background:#2b5797;color:#fff;"
                                   "font-size:20px;line-height:56px;padding-left:16px}"
                                   ".row{height:34px;line-height:34px;padding-left:16px;border-bottom:1px solid #ddd;"
                                   "box-sizing:border-box}"
                                   "#top{position:fixed;right:24px;bottom:24px;width:48px;height:48px;"
                                   "border-radius:24px;background:#e91e63;color:#fff;text-align:center;"
                                   "line-height:48px;font-size:22px}"),
                    body);
}

// A table of `rows` rows where bands of identical rows (60, then 30) lie
// between numbered ones.
inline QString tableWithBands(int rows)
{
    QRandomGenerator rng(5);
    QString body = QStringLiteral("<table>");
    for (int n = 1; n <= rows; ++n) {
        const bool band = (n > 40 && n <= 100) || (n > 160 && n <= 190);
        body += band ? QStringLiteral("<tr><td>—</td><td>same row</td><td>0.00</td></tr>")
                     : QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td></tr>")
                           .arg(n)
                           .arg(words(rng))
                           .arg(double(rng.bounded(100000)) / 100.0, 0, 'f', 2);
    }
    body += QStringLiteral("</table>");
    return document(QStringLiteral("table{border-collapse:collapse;width:100%}"
                                   "td{border-bottom:1px solid #ccc;padding:6px 12px;height:18px}"
                                   "td:first-child{width:60px}"),
                    body);
}

// An article of numbered paragraphs of several lines.
inline QString article(int paragraphs)
{
    QRandomGenerator rng(9);
    QString body;
    for (int n = 1; n <= paragraphs; ++n) {
        QString text;
        for (int i = 0, lines = 2 + int(rng.bounded(4)); i < lines; ++i) text += words(rng) + ' ';
        body += QStringLiteral("<p>%1. %2</p>").arg(n).arg(text + words(rng) + ' ' + words(rng));
    }
    return document(QStringLiteral("p{margin:12px 24px;line-height:24px}"), body);
}

// The article with a spinner beside its first paragraphs, as pages show
// while something loads; it turns once P is pressed.
inline QString articleWithAnimation(int paragraphs)
{
    QString page = article(paragraphs);
    page.replace(QStringLiteral("</style>"),
                 QStringLiteral("#spin{position:absolute;top:40px;right:60px;width:60px;height:60px;"
                                "border:12px solid #ddd;border-top-color:#2b5797;border-radius:50%;"
                                "animation:spin 0.8s linear infinite}"
                                "@keyframes spin{to{transform:rotate(360deg)}}"
                                ".still #spin{animation-play-state:paused}</style>"));
    page.replace(QStringLiteral("<body>"), QStringLiteral("<body class=still><div id=spin></div>"));
    return page;
}

}  // namespace pages

// Chromium showing one page in an app window at `window` (global pixels).
class BrowserPage {
public:
    BrowserPage(QRect window, const QString& html)
    {
        const QString chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
        if (chromium.isEmpty() || !m_folder.isValid()) return;
        // A title of its own: a window of an earlier page may not have gone yet.
        static int pagesShown = 0;
        const QString title =
            QStringLiteral("klipo-page-%1-%2").arg(QCoreApplication::applicationPid()).arg(++pagesShown);
        const QString file = m_folder.filePath(QStringLiteral("page.html"));
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly) ||
            out.write(QString(html).replace(QStringLiteral("'klipo-page'"), "'" + title + "'").toUtf8()) < 0)
            return;
        out.close();
        m_process.start(chromium,
                        {"--no-sandbox", "--no-first-run", "--disable-background-networking",
                         "--disable-component-update", "--disable-sync", "--force-device-scale-factor=1",
                         "--user-data-dir=" + m_folder.filePath(QStringLiteral("profile")),
                         QStringLiteral("--window-position=%1,%2").arg(window.x()).arg(window.y()),
                         QStringLiteral("--window-size=%1,%2").arg(window.width()).arg(window.height()),
                         "--app=file://" + file});
        if (!m_process.waitForStarted(5000)) return;
        // The window may show at its full size a moment after its title.
        QElapsedTimer clock;
        clock.start();
        while (!shown() && clock.elapsed() < 30000 && m_process.state() == QProcess::Running) {
            m_window = findWindow(title, 30000);
            if (!m_window.isEmpty()) m_area = windowArea(m_window);
            if (!shown()) QTest::qWait(200);
        }
        auto grabber = platform::createRegionGrabber();
        if (!grabber || settledGrab(*grabber, m_area).isNull()) m_area = QRect();
    }
    ~BrowserPage()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) m_process.kill();
    }

    bool shown() const { return m_area.isValid() && m_area.width() > 1; }
    // The window's content (the info bar and the page under it), global pixels.
    QRect area() const { return m_area; }
    // Back to the page's top, drawn.
    bool toTop()
    {
        QProcess::execute(QStringLiteral("xdotool"), {"windowactivate", "--sync", m_window, "key", "Home"});
        auto grabber = platform::createRegionGrabber();
        QTest::qWait(100);
        return grabber && !settledGrab(*grabber, m_area).isNull();
    }
    // The page 100 rows further down at once, as a step of scrolledReference().
    std::function<void()> step() const
    {
        return [window = m_window] {
            QProcess::execute(QStringLiteral("xdotool"), {"windowactivate", "--sync", window, "key", "j"});
        };
    }

    // Pauses the page's animations, or lets them go on.
    void pause() const
    {
        QProcess::execute(QStringLiteral("xdotool"), {"windowactivate", "--sync", m_window, "key", "p"});
    }

    // Rows of the browser's info bar above the page; columns of its scroll bar.
    static constexpr int infoBarRows = 57;
    static constexpr int scrollBarColumns = 15;

private:
    QTemporaryDir m_folder;
    QProcess m_process;
    QString m_window;
    QRect m_area;
};

}  // namespace klipo::test
