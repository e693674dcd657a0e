#include "corpus/Composer.h"

#include "corpus/GeneratedScreens.h"

#include <QFile>
#include <QFontDatabase>
#include <QPainterPath>

#include <map>

#include <cmath>

namespace klipo::test {

Composer::Composer(quint32 seed) : m_rng(seed) {}

QString Composer::sentences(int n)
{
    QStringList out;
    for (int i = 0; i < n; ++i) out << sentence();
    return out.join(cjk() ? QString() : QStringLiteral(" "));
}

QString Composer::fileName()
{
    static const QStringList stems = {"report", "notes",  "budget_2024", "photo_0132", "main", "README", "invoice-0457",
                                      "setup",  "backup", "draft_v2",    "slides",     "data", "config", "todo"};
    static const QStringList kinds = {".pdf", ".txt",    ".xlsx", ".jpg", ".cpp",  ".md", ".png",
                                      ".sh",  ".tar.gz", ".docx", ".csv", ".json", ".py", ".html"};
    return any(stems) + any(kinds);
}

QString Composer::date()
{
    return QStringLiteral("%1-%2-%3")
        .arg(2020 + below(6))
        .arg(1 + below(12), 2, 10, QLatin1Char('0'))
        .arg(1 + below(28), 2, 10, QLatin1Char('0'));
}

QString Composer::time()
{
    return QStringLiteral("%1:%2").arg(below(24), 2, 10, QLatin1Char('0')).arg(below(60), 2, 10, QLatin1Char('0'));
}

QString Composer::price()
{
    const QString amount = QStringLiteral("%1.%2").arg(1 + below(300)).arg(below(100), 2, 10, QLatin1Char('0'));
    switch (screen.language) {
    case ScreenLanguage::English: return QStringLiteral("$") + amount;
    case ScreenLanguage::Chinese:
    case ScreenLanguage::Mixed: return QStringLiteral("¥") + amount;
    default: return QString(amount).replace(QLatin1Char('.'), QLatin1Char(',')) + QStringLiteral(" €");
    }
}

QString Composer::hash(int length)
{
    static const char digits[] = "0123456789abcdef";
    QString out;
    for (int i = 0; i < length; ++i) out += QLatin1Char(digits[below(16)]);
    return out;
}

namespace {

// The faces screens are drawn with, each from its installed files, and the
// face drawn instead where none of them is installed. Taken from the files,
// not from what the process's font configuration offers (the tests' own
// offers only DejaVu and WenQuanYi, and would set the others in DejaVu): a
// seed draws the same picture in the tests as in the benchmark.
struct CorpusFace {
    const char* family;
    const char* instead;
    QStringList files;
};

const std::vector<CorpusFace>& corpusFaces()
{
    static const QString tt = QStringLiteral("/usr/share/fonts/truetype/");
    static const QString ot = QStringLiteral("/usr/share/fonts/opentype/noto/");
    auto styles = [](const QString& stem, const char* regular, const char* bold, const char* italic,
                     const char* boldItalic) {
        return QStringList{stem + QLatin1String(regular), stem + QLatin1String(bold), stem + QLatin1String(italic),
                           stem + QLatin1String(boldItalic)};
    };
    static const std::vector<CorpusFace> faces = {
        {"DejaVu Sans", "DejaVu Sans",
         styles(tt + "dejavu/DejaVuSans", ".ttf", "-Bold.ttf", "-Oblique.ttf", "-BoldOblique.ttf")},
        {"DejaVu Serif", "DejaVu Serif",
         styles(tt + "dejavu/DejaVuSerif", ".ttf", "-Bold.ttf", "-Italic.ttf", "-BoldItalic.ttf")},
        {"DejaVu Sans Mono", "DejaVu Sans Mono",
         styles(tt + "dejavu/DejaVuSansMono", ".ttf", "-Bold.ttf", "-Oblique.ttf", "-BoldOblique.ttf")},
        {"Liberation Sans", "DejaVu Sans",
         styles(tt + "liberation/LiberationSans", "-Regular.ttf", "-Bold.ttf", "-Italic.ttf", "-BoldItalic.ttf")},
        {"Liberation Serif", "DejaVu Serif",
         styles(tt + "liberation/LiberationSerif", "-Regular.ttf", "-Bold.ttf", "-Italic.ttf", "-BoldItalic.ttf")},
        {"Liberation Mono", "DejaVu Sans Mono",
         styles(tt + "liberation/LiberationMono", "-Regular.ttf", "-Bold.ttf", "-Italic.ttf", "-BoldItalic.ttf")},
        {"Noto Sans", "DejaVu Sans",
         styles(tt + "noto/NotoSans", "-Regular.ttf", "-Bold.ttf", "-Italic.ttf", "-BoldItalic.ttf")},
        {"Noto Serif", "DejaVu Serif",
         styles(tt + "noto/NotoSerif", "-Regular.ttf", "-Bold.ttf", "-Italic.ttf", "-BoldItalic.ttf")},
        {"Hack", "DejaVu Sans Mono",
         styles(tt + "hack/Hack", "-Regular.ttf", "-Bold.ttf", "-Italic.ttf", "-BoldItalic.ttf")},
        {"WenQuanYi Micro Hei", "WenQuanYi Micro Hei", {tt + "wqy/wqy-microhei.ttc"}},
        {"Noto Sans CJK SC", "WenQuanYi Micro Hei", {ot + "NotoSansCJK-Regular.ttc", ot + "NotoSansCJK-Bold.ttc"}},
        {"Noto Serif CJK SC", "WenQuanYi Micro Hei", {ot + "NotoSerifCJK-Regular.ttc", ot + "NotoSerifCJK-Bold.ttc"}},
    };
    return faces;
}

const std::map<QString, QString>& drawnFamilies()
{
    static const std::map<QString, QString> drawn = [] {
        std::map<QString, QString> out;
        for (const CorpusFace& face : corpusFaces()) {
            bool found = false;
            for (const QString& file : face.files)
                found = (QFile::exists(file) && QFontDatabase::addApplicationFont(file) >= 0) || found;
            out[QLatin1String(face.family)] = QLatin1String(found ? face.family : face.instead);
        }
        return out;
    }();
    return drawn;
}

// The family a screen asks for, as it is drawn here: the face itself when
// its files are installed, else the one instead.
QString installedFamily(const QString& family)
{
    const auto it = drawnFamilies().find(family);
    return it == drawnFamilies().end() ? family : it->second;
}

}  // namespace

void useCorpusFaces() { drawnFamilies(); }

void Composer::chooseFamilies()
{
    static const QStringList sans = {"DejaVu Sans", "Liberation Sans", "Noto Sans"};
    static const QStringList serif = {"DejaVu Serif", "Liberation Serif", "Noto Serif"};
    static const QStringList mono = {"DejaVu Sans Mono", "Liberation Mono", "Hack"};
    static const QStringList cjkSans = {"WenQuanYi Micro Hei", "Noto Sans CJK SC"};
    static const QStringList cjkSerif = {"Noto Serif CJK SC", "WenQuanYi Micro Hei"};
    m_families[0] = installedFamily(cjk() ? any(cjkSans) : any(sans));
    m_families[1] = installedFamily(cjk() ? any(cjkSerif) : any(serif));
    m_families[2] = installedFamily(any(mono));
}

QFont Composer::font(Role role, double px, bool bold, bool italic) const
{
    QFont f;
    QStringList families{m_families[int(role)]};
    // Chinese in a monospaced program: the Latin letters monospaced, the rest from a CJK face.
    if (role == Role::Mono && cjk()) families << QStringLiteral("WenQuanYi Micro Hei Mono");
    f.setFamilies(families);
    f.setPixelSize(std::max(1, int(std::lround(px))));
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

double Composer::contrast(const QColor& a, const QColor& b)
{
    auto lum = [](const QColor& c) {
        auto ch = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * ch(c.redF()) + 0.7152 * ch(c.greenF()) + 0.0722 * ch(c.blueF());
    };
    const double x = lum(a), y = lum(b);
    return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

QColor Composer::readable(const QColor& background, double ratio, double hue, double saturation)
{
    const bool darkBackground = background.lightnessF() < 0.5;
    // Walk the lightness away from the background until the text reads.
    for (int step = 0; step <= 50; ++step) {
        const double l = darkBackground ? 0.5 + step * 0.01 : 0.5 - step * 0.01;
        const QColor c = QColor::fromHslF(float(hue), float(saturation), float(std::clamp(l, 0.0, 1.0)));
        if (contrast(c, background) >= ratio) return c;
    }
    return darkBackground ? Qt::white : Qt::black;
}

Theme Composer::theme(bool dark)
{
    Theme t;
    t.dark = dark;
    const double hue = between(0, 1);
    if (dark) {
        const int base = 18 + below(28);
        t.page = QColor::fromHslF(float(hue), float(between(0, 0.2)), float(base / 255.0));
        t.panel = t.page.lighter(120 + below(40));
        t.ink = QColor::fromHslF(float(hue), 0.05f, float(between(0.82, 0.96)));
        t.rule = t.page.lighter(170 + below(60));
    } else {
        t.page = chance(0.7) ? QColor(Qt::white)
                             : QColor::fromHslF(float(hue), float(between(0, 0.25)), float(between(0.94, 0.99)));
        t.panel = QColor::fromHslF(float(hue), float(between(0, 0.2)), float(between(0.90, 0.96)));
        t.ink = QColor::fromHslF(float(hue), float(between(0, 0.15)), float(between(0.0, 0.2)));
        t.rule = QColor::fromHslF(float(hue), float(between(0, 0.1)), float(between(0.72, 0.86)));
    }
    t.faint = readable(t.page, between(3.2, 5.0), hue, between(0, 0.12));
    t.accent = readable(t.page, between(3.5, 6.0), between(0, 1), between(0.55, 0.9));
    t.onAccent = contrast(Qt::white, t.accent) >= 3 ? QColor(Qt::white) : QColor(Qt::black);
    return t;
}

qreal Composer::text(const QString& text, QPointF at, const QFont& font, const QColor& color, int unit)
{
    if (text.trimmed().isEmpty()) return 0;
    canvas->text(text, at, font, color, unit);
    return QFontMetricsF(font).horizontalAdvance(text);
}

qreal Composer::text(const QString& text, const QRectF& area, Qt::Alignment alignment, const QFont& font,
                     const QColor& color, int unit)
{
    const QString fitted = fit(text, font, area.width());
    if (fitted.trimmed().isEmpty()) return 0;
    canvas->text(fitted, area, alignment, font, color, unit);
    return QFontMetricsF(font).horizontalAdvance(fitted);
}

qreal Composer::fittedWidth(const QString& text, const QFont& font, qreal width) const
{
    const QString fitted = fit(text, font, width);
    return fitted.trimmed().isEmpty() ? 0 : QFontMetricsF(font).horizontalAdvance(fitted);
}

QString Composer::fit(const QString& text, const QFont& font, qreal width) const
{
    const QFontMetricsF metrics(font);
    if (metrics.horizontalAdvance(text) <= width) return text;
    QString out = text;
    while (!out.isEmpty() && metrics.horizontalAdvance(out) > width) {
        const qsizetype space = out.lastIndexOf(QLatin1Char(' '));
        if (space > 0 && !(cjk() && out.back().unicode() >= 0x2E80))
            out.truncate(space);
        else
            out.chop(1);
        out = out.trimmed();
    }
    // A lone sign or letter left of a cut text says nothing.
    return out.size() < 2 ? QString() : out;
}

qreal Composer::paragraph(const QString& text, QPointF at, qreal width, const QFont& font, const QColor& color,
                          qreal leading)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    qreal y = 0;
    const qreal gap = QFontMetricsF(font).height() * leading;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height() + gap;
    }
    layout.endLayout();
    painter().setPen(color);
    layout.draw(&painter(), at);
    const int unit = canvas->newUnit();
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        canvas->note(text.mid(line.textStart(), line.textLength()).trimmed(), line.naturalTextRect().translated(at),
                     unit);
    }
    return y;
}

void Composer::box(const QRectF& r, const QColor& fill, const QColor& border, qreal radius)
{
    QPainter& p = painter();
    p.setPen(border.isValid() ? QPen(border, 1) : QPen(Qt::NoPen));
    p.setBrush(fill.isValid() ? QBrush(fill) : QBrush(Qt::NoBrush));
    const QRectF a = border.isValid() ? r.adjusted(0.5, 0.5, -0.5, -0.5) : r;
    if (radius > 0)
        p.drawRoundedRect(a, radius, radius);
    else
        p.drawRect(a);
}

void Composer::hline(qreal x1, qreal x2, qreal y, const QColor& color)
{
    painter().setPen(QPen(color, 1));
    painter().drawLine(QPointF(x1, std::floor(y) + 0.5), QPointF(x2, std::floor(y) + 0.5));
}

void Composer::vline(qreal x, qreal y1, qreal y2, const QColor& color)
{
    painter().setPen(QPen(color, 1));
    painter().drawLine(QPointF(std::floor(x) + 0.5, y1), QPointF(std::floor(x) + 0.5, y2));
}

qreal Composer::badge(const QString& text, QPointF at, const QFont& font, const QColor& background, const QColor& ink)
{
    const QFontMetricsF m(font);
    const qreal w = m.horizontalAdvance(text) + m.height() * 0.8;
    const QRectF r(at, QSizeF(w, m.height() * 1.25));
    box(r, background, QColor(), r.height() / 2);
    canvas->text(text, r, Qt::AlignHCenter, font, ink);
    return w;
}

void Composer::cover(const QRectF& logical)
{
    const double s = screen.scale;
    covers.push_back({QRectF(logical.topLeft() * s, logical.size() * s).toAlignedRect(), screen.lines.size()});
}

void Composer::icon(const QRectF& r, IconKind kind, const QColor& color)
{
    QPainter& p = painter();
    p.save();
    const qreal w = std::min(r.width(), r.height());
    const QRectF s(r.center() - QPointF(w / 2, w / 2), QSizeF(w, w));
    const QRectF in = s.adjusted(w * 0.15, w * 0.15, -w * 0.15, -w * 0.15);
    QPen pen(color, std::max(1.0, w / 10), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const QPointF c = s.center();
    switch (kind) {
    case IconKind::Circle:
        p.setBrush(color);
        p.setPen(Qt::NoPen);
        p.drawEllipse(in);
        break;
    case IconKind::Square:
        p.setBrush(color);
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(in, w / 6, w / 6);
        break;
    case IconKind::Folder: {
        p.setBrush(color);
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(QRectF(in.left(), in.top() + in.height() * 0.2, in.width(), in.height() * 0.7), 2, 2);
        p.drawRect(QRectF(in.left(), in.top() + in.height() * 0.08, in.width() * 0.4, in.height() * 0.2));
        break;
    }
    case IconKind::Document: {
        p.drawRect(in.adjusted(in.width() * 0.15, 0, -in.width() * 0.15, 0));
        for (int i = 1; i <= 3; ++i)
            p.drawLine(QPointF(in.left() + in.width() * 0.3, in.top() + in.height() * i / 4.5),
                       QPointF(in.right() - in.width() * 0.3, in.top() + in.height() * i / 4.5));
        break;
    }
    case IconKind::Gear: {
        p.drawEllipse(c, w * 0.22, w * 0.22);
        for (int i = 0; i < 8; ++i) {
            const double a = i * M_PI / 4;
            p.drawLine(c + QPointF(std::cos(a), std::sin(a)) * w * 0.25,
                       c + QPointF(std::cos(a), std::sin(a)) * w * 0.38);
        }
        break;
    }
    case IconKind::Back:
    case IconKind::Forward: {
        const qreal d = kind == IconKind::Back ? -1 : 1;
        p.drawLine(c - QPointF(d * w * 0.3, 0), c + QPointF(d * w * 0.3, 0));
        p.drawLine(c + QPointF(d * w * 0.3, 0), c + QPointF(d * w * 0.05, -w * 0.25));
        p.drawLine(c + QPointF(d * w * 0.3, 0), c + QPointF(d * w * 0.05, w * 0.25));
        break;
    }
    case IconKind::Reload: {
        p.drawArc(in, 30 * 16, 280 * 16);
        p.drawLine(QPointF(in.right(), in.top() + w * 0.1), QPointF(in.right(), c.y() - w * 0.05));
        break;
    }
    case IconKind::Star: {
        QPolygonF star;
        for (int i = 0; i < 10; ++i) {
            const double a = -M_PI / 2 + i * M_PI / 5;
            const double rad = (i % 2 ? 0.18 : 0.4) * w;
            star << c + QPointF(std::cos(a), std::sin(a)) * rad;
        }
        p.drawPolygon(star);
        break;
    }
    case IconKind::Search: {
        p.drawEllipse(QPointF(c.x() - w * 0.08, c.y() - w * 0.08), w * 0.22, w * 0.22);
        p.drawLine(c + QPointF(w * 0.08, w * 0.08), c + QPointF(w * 0.32, w * 0.32));
        break;
    }
    case IconKind::Menu: {
        for (int i = -1; i <= 1; ++i)
            p.drawLine(c + QPointF(-w * 0.3, i * w * 0.22), c + QPointF(w * 0.3, i * w * 0.22));
        break;
    }
    case IconKind::Close: {
        p.drawLine(c + QPointF(-w * 0.25, -w * 0.25), c + QPointF(w * 0.25, w * 0.25));
        p.drawLine(c + QPointF(-w * 0.25, w * 0.25), c + QPointF(w * 0.25, -w * 0.25));
        break;
    }
    case IconKind::Plus: {
        p.drawLine(c + QPointF(-w * 0.3, 0), c + QPointF(w * 0.3, 0));
        p.drawLine(c + QPointF(0, -w * 0.3), c + QPointF(0, w * 0.3));
        break;
    }
    case IconKind::Minimise: p.drawLine(c + QPointF(-w * 0.28, w * 0.2), c + QPointF(w * 0.28, w * 0.2)); break;
    case IconKind::Maximise: p.drawRect(in.adjusted(w * 0.08, w * 0.08, -w * 0.08, -w * 0.08)); break;
    case IconKind::Bell: {
        QPainterPath bell;
        bell.moveTo(c + QPointF(-w * 0.3, w * 0.2));
        bell.cubicTo(c + QPointF(-w * 0.2, -w * 0.1), c + QPointF(-w * 0.25, -w * 0.35), c + QPointF(0, -w * 0.35));
        bell.cubicTo(c + QPointF(w * 0.25, -w * 0.35), c + QPointF(w * 0.2, -w * 0.1), c + QPointF(w * 0.3, w * 0.2));
        bell.closeSubpath();
        p.drawPath(bell);
        p.drawEllipse(c + QPointF(0, w * 0.3), w * 0.06, w * 0.06);
        break;
    }
    case IconKind::Avatar: {
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawEllipse(s.adjusted(1, 1, -1, -1));
        p.setBrush(color.lightness() > 128 ? color.darker(160) : color.lighter(170));
        p.drawEllipse(c - QPointF(0, w * 0.1), w * 0.15, w * 0.15);
        p.drawChord(QRectF(c.x() - w * 0.3, c.y() + w * 0.08, w * 0.6, w * 0.5), 0, 180 * 16);
        break;
    }
    case IconKind::Up:
    case IconKind::Down: {
        const qreal d = kind == IconKind::Up ? -1 : 1;
        p.setBrush(color);
        p.drawPolygon(QPolygonF(
            {c + QPointF(0, d * w * 0.3), c + QPointF(-w * 0.3, -d * w * 0.15), c + QPointF(w * 0.3, -d * w * 0.15)}));
        break;
    }
    case IconKind::Send: {
        p.setBrush(color);
        p.drawPolygon(QPolygonF({c + QPointF(-w * 0.35, -w * 0.3), c + QPointF(w * 0.35, 0),
                                 c + QPointF(-w * 0.35, w * 0.3), c + QPointF(-w * 0.2, 0)}));
        break;
    }
    case IconKind::Heart: {
        QPainterPath heart;
        heart.moveTo(c + QPointF(0, w * 0.3));
        heart.cubicTo(c + QPointF(-w * 0.5, -w * 0.05), c + QPointF(-w * 0.2, -w * 0.45), c + QPointF(0, -w * 0.15));
        heart.cubicTo(c + QPointF(w * 0.2, -w * 0.45), c + QPointF(w * 0.5, -w * 0.05), c + QPointF(0, w * 0.3));
        p.setBrush(color);
        p.drawPath(heart);
        break;
    }
    case IconKind::Count: break;
    }
    p.restore();
}

void Composer::picture(const QRectF& r)
{
    QPainter& p = painter();
    p.save();
    p.setClipRect(r);
    QLinearGradient sky(r.topLeft(), r.bottomLeft());
    const double hue = between(0, 1);
    sky.setColorAt(0, QColor::fromHslF(float(hue), float(between(0.3, 0.7)), float(between(0.55, 0.85))));
    sky.setColorAt(
        1, QColor::fromHslF(float(std::fmod(hue + 0.3, 1.0)), float(between(0.3, 0.7)), float(between(0.2, 0.5))));
    p.fillRect(r, sky);
    p.setPen(Qt::NoPen);
    // Hills, a sun, trees: shapes with edges in every direction, some with fine strokes.
    for (int i = 0, n = 2 + below(4); i < n; ++i) {
        p.setBrush(QColor::fromHslF(float(between(0, 1)), float(between(0.2, 0.8)), float(between(0.15, 0.8)),
                                    float(between(0.6, 1))));
        const QPointF c(r.left() + between(0, 1) * r.width(), r.top() + between(0.3, 1) * r.height());
        const qreal rx = between(0.1, 0.5) * r.width();
        p.drawEllipse(c, rx, rx * between(0.3, 1));
    }
    p.setPen(QPen(QColor::fromHslF(float(between(0, 1)), 0.4f, float(between(0.1, 0.4))), between(1, 2.5)));
    for (int i = 0, n = below(12); i < n; ++i) {
        const QPointF a(r.left() + between(0, 1) * r.width(), r.top() + between(0.4, 1) * r.height());
        p.drawLine(a, a + QPointF(between(-8, 8), -between(6, 30)));
    }
    p.restore();
}

}  // namespace klipo::test
