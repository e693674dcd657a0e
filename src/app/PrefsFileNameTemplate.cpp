#include "app/PrefsFileNameTemplate.h"

#include "app/Settings.h"

#include <QTextBoundaryFinder>

#include <cstdlib>

namespace klipo::PrefsFileNameTemplate {

namespace {

// User-perceived characters of a string, in order.
QStringList graphemes(const QString& s)
{
    QStringList out;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, s);
    qsizetype start = 0;
    for (qsizetype end = finder.toNextBoundary(); end != -1; end = finder.toNextBoundary()) {
        if (end > start) out.append(s.mid(start, end - start));
        start = end;
    }
    return out;
}

QString twoDigits(int n) { return QString::number(std::abs(n)).rightJustified(2, u'0'); }
QString fourDigits(int n) { return QString::number(std::abs(n)).rightJustified(4, u'0'); }

bool isNewline(char32_t c)
{
    return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

bool isUnsafe(char32_t c)
{
    switch (c) {
    case U'/': case U'\\': case U':': case U'*': case U'?': case U'"': case U'<': case U'>': case U'|':
        return true;
    default:
        break;
    }
    if (isNewline(c)) return true;
    const auto category = QChar::category(c);
    return category == QChar::Other_Control || category == QChar::Other_Format;
}

// Blanks that are trimmed from the ends: tabs and space separators.
bool isBlank(QChar c) { return c == u'\t' || c.category() == QChar::Separator_Space; }

QString trimBlanks(const QString& s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && isBlank(s.at(begin))) ++begin;
    while (end > begin && isBlank(s.at(end - 1))) --end;
    return s.mid(begin, end - begin);
}

}  // namespace

QString defaultTemplate() { return QStringLiteral("截图 %F %T"); }

Components components(const QDateTime& date)
{
    Components c;
    if (!date.isValid()) return c;
    const QDateTime local = date.toLocalTime();
    const QDate d = local.date();
    const QTime t = local.time();
    if (d.isValid()) {
        c.year = d.year();
        c.month = d.month();
        c.day = d.day();
    }
    if (t.isValid()) {
        c.hour = t.hour();
        c.minute = t.minute();
        c.second = t.second();
    }
    return c;
}

QString render(const QString& pattern, const QDateTime& date)
{
    const Components c = components(date);
    const QStringList chars = graphemes(pattern);
    QString out;
    for (qsizetype i = 0; i < chars.size(); ++i) {
        const QString& ch = chars.at(i);
        if (ch != u"%") {
            out += ch;
            continue;
        }
        if (i + 1 >= chars.size()) {
            out += u'%';
            break;
        }
        const QString& next = chars.at(++i);
        if (next == u"Y") out += fourDigits(c.year);
        else if (next == u"y") out += twoDigits(std::abs(c.year) % 100);
        else if (next == u"m") out += twoDigits(c.month);
        else if (next == u"d") out += twoDigits(c.day);
        else if (next == u"H") out += twoDigits(c.hour);
        else if (next == u"M") out += twoDigits(c.minute);
        else if (next == u"S") out += twoDigits(c.second);
        else if (next == u"F") out += fourDigits(c.year) + u'-' + twoDigits(c.month) + u'-' + twoDigits(c.day);
        else if (next == u"T") out += twoDigits(c.hour) + u'.' + twoDigits(c.minute) + u'.' + twoDigits(c.second);
        else if (next == u"%") out += u'%';
        else out += u'%' + next;
    }
    return out;
}

QString sanitize(const QString& name)
{
    QString out;
    out.reserve(name.size());
    for (const char32_t c : name.toUcs4()) {
        if (isUnsafe(c)) out += u'-';
        else out += QString::fromUcs4(&c, 1);
    }
    return trimBlanks(out);
}

QString capToFileNameLength(const QString& name)
{
    if (name.toUtf8().size() <= maxBaseNameBytes) return name;
    QString out;
    qsizetype bytes = 0;
    for (const QString& ch : graphemes(name)) {
        const qsizetype size = ch.toUtf8().size();
        if (bytes + size > maxBaseNameBytes) break;
        out += ch;
        bytes += size;
    }
    return trimBlanks(out);
}

QString baseName(const QString& pattern, const QDateTime& date)
{
    QString name = capToFileNameLength(sanitize(render(pattern, date)));
    if (name.isEmpty()) name = sanitize(render(defaultTemplate(), date));
    return name;
}

QString currentBaseName(const QDateTime& date) { return baseName(Settings::captureFileNameTemplate(), date); }

QString preview(const QString& pattern, CaptureFileFormat format, const QDateTime& date)
{
    return baseName(pattern, date) + u'.' + fileExtension(format);
}

const QList<Preset>& presets()
{
    static const QList<Preset> list{
        {QStringLiteral("截图 %F %T"), QStringLiteral("截图 2026-07-31 15.30.45")},
        {QStringLiteral("截图_%Y%m%d_%H%M%S"), QStringLiteral("截图_20260731_153045")},
        {QStringLiteral("Shot-%Y-%m-%d-%H%M%S"), QStringLiteral("Shot-2026-07-31-153045")},
        {QStringLiteral("%Y%m%d%H%M%S"), QStringLiteral("20260731153045")},
    };
    return list;
}

}  // namespace klipo::PrefsFileNameTemplate
