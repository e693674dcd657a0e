// Another program's window for desktop tests: a focused window that covers the
// whole screen (as a video player or a presentation does), painted white with
// the lines given on the command line in large black letters. Prints "shown"
// once the window is on the screen and has the focus, and "key TEXT" for each
// key typed into it.
// With --at X,Y,W,H it is an ordinary window at that place instead.
// With --shadow L,R,T,B it draws its own frame, as GTK programs and browsers
// do: no frame from the window manager, and a translucent shadow that wide
// along each side inside its area, named in _GTK_FRAME_EXTENTS.
// With --latest-input the window manager takes it for the program with the
// user's latest input whatever comes later: its user time
// (_NET_WM_USER_TIME) is kept a day ahead of the server's clock.
// Usage: klipo_foreign_window [--at X,Y,W,H] [--shadow L,R,T,B] [--latest-input] [LINE...]
#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

class ForeignWindow : public QWidget {
public:
    ForeignWindow(QStringList lines, QMargins shadow) : m_lines(std::move(lines)), m_shadow(shadow) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const QRect inner = rect() - m_shadow;
        if (!m_shadow.isNull()) {
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.fillRect(rect(), QColor(0, 0, 0, 60));
        }
        p.fillRect(inner, Qt::white);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(40);
        p.setFont(font);
        p.setPen(Qt::black);
        for (int i = 0; i < m_lines.size(); ++i) p.drawText(inner.topLeft() + QPoint(120, 160 + i * 120), m_lines[i]);
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        std::printf("key %s\n", event->text().toUtf8().constData());
        std::fflush(stdout);
    }

private:
    QStringList m_lines;
    QMargins m_shadow;
};

xcb_connection_t* connection()
{
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(const char* name)
{
    xcb_connection_t* c = connection();
    xcb_intern_atom_reply_t* r =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(r);
    return a;
}

// The first value of a 32-bit property; 0 when absent.
uint32_t property32(xcb_window_t w, xcb_atom_t name, xcb_atom_t type)
{
    xcb_connection_t* c = connection();
    xcb_get_property_reply_t* r = xcb_get_property_reply(c, xcb_get_property(c, 0, w, name, type, 0, 1), nullptr);
    uint32_t value = 0;
    if (r && r->format == 32 && xcb_get_property_value_length(r) >= 4)
        value = *static_cast<const uint32_t*>(xcb_get_property_value(r));
    std::free(r);
    return value;
}

void setProperty32(xcb_window_t w, xcb_atom_t name, xcb_atom_t type, const QList<uint32_t>& values)
{
    xcb_change_property(connection(), XCB_PROP_MODE_REPLACE, w, name, type, 32, uint32_t(values.size()),
                        values.constData());
    xcb_flush(connection());
}

// Keeps the window's user time a day ahead of what Qt writes there (the time
// of the latest input it got), on the window that holds it.
void keepUserTimeAhead(QWidget* window)
{
    const auto id = xcb_window_t(window->winId());
    const xcb_atom_t userTime = atom("_NET_WM_USER_TIME"), holderName = atom("_NET_WM_USER_TIME_WINDOW");
    auto* timer = new QTimer(window);
    QObject::connect(timer, &QTimer::timeout, window, [=, ahead = uint32_t(0)]() mutable {
        // Qt makes the window that holds it at the first input.
        const xcb_window_t holder = property32(id, holderName, XCB_ATOM_WINDOW);
        const xcb_window_t target = holder ? holder : id;
        const uint32_t now = property32(target, userTime, XCB_ATOM_CARDINAL);
        if (now < ahead) setProperty32(target, userTime, XCB_ATOM_CARDINAL, {ahead});
        if (!ahead && now) ahead = now + 24u * 3600u * 1000u;
    });
    timer->start(20);
}

QList<int> numbers(const QString& text)
{
    QList<int> values;
    for (const QString& n : text.split(QLatin1Char(','))) values << n.toInt();
    return values;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QStringList lines = QApplication::arguments().mid(1);
    QRect place;
    QMargins shadow;
    bool latestInput = false;
    while (!lines.isEmpty() && lines[0].startsWith(QLatin1String("--"))) {
        const QString option = lines.takeFirst();
        if (option == QLatin1String("--latest-input")) {
            latestInput = true;
            continue;
        }
        const QList<int> n = lines.isEmpty() ? QList<int>() : numbers(lines.takeFirst());
        if (n.size() != 4) return 2;
        if (option == QLatin1String("--at"))
            place = QRect(n[0], n[1], n[2], n[3]);
        else if (option == QLatin1String("--shadow"))
            shadow = QMargins(n[0], n[2], n[1], n[3]);
        else
            return 2;
    }
    ForeignWindow window(lines, shadow);
    window.setWindowTitle(QStringLiteral("foreign"));
    if (!shadow.isNull()) {
        window.setWindowFlag(Qt::FramelessWindowHint);
        window.setAttribute(Qt::WA_TranslucentBackground);
        // left, right, top, bottom; read by the window manager when it maps the window
        setProperty32(
            xcb_window_t(window.winId()), atom("_GTK_FRAME_EXTENTS"), XCB_ATOM_CARDINAL,
            {uint32_t(shadow.left()), uint32_t(shadow.right()), uint32_t(shadow.top()), uint32_t(shadow.bottom())});
    }
    if (place.isValid()) {
        window.setGeometry(place);
        window.show();
    } else {
        window.showFullScreen();
    }
    window.activateWindow();
    if (latestInput) keepUserTimeAhead(&window);
    auto* poll = new QTimer(&window);
    QObject::connect(poll, &QTimer::timeout, &window, [&window, poll] {
        if (!window.isActiveWindow()) return;
        poll->stop();
        std::printf("shown\n");
        std::fflush(stdout);
    });
    poll->start(20);
    return app.exec();
}
