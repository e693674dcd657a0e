#include "corpus/RealPages.h"

#include <QDir>
#include <QFile>

namespace klipo::test {

QStringList realPageNames(const QString& folder)
{
    QStringList names;
    for (const QString& file : QDir(folder).entryList({QStringLiteral("*.tsv")}, QDir::Files, QDir::Name))
        names << file.chopped(4);
    return names;
}

RealPage loadRealPage(const QString& folder, const QString& name)
{
    RealPage page;
    Screen& s = page.screen;
    s.name = QStringLiteral("real-") + name;
    QFile file(folder + QLatin1Char('/') + name + QStringLiteral(".tsv"));
    if (!file.open(QIODevice::ReadOnly)) return page;
    for (const QString& row : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList f = row.split(QLatin1Char('\t'));
        if (row.startsWith(QStringLiteral("# "))) {
            const QString key = row.section(QLatin1Char(' '), 1, 1);
            const QString value = row.section(QLatin1Char(' '), 2);
            if (key == QLatin1String("language")) {
                for (int l = 0; l < 6; ++l)
                    if (languageName(ScreenLanguage(l)) == value) s.language = ScreenLanguage(l);
            } else if (key == QLatin1String("scale")) {
                s.scale = value.toDouble();
            } else if (key == QLatin1String("set")) {
                page.set = value;
            }
        } else if (f.size() >= 9 && f[0] == QLatin1String("line")) {
            s.lines.push_back({f.mid(8).join(QLatin1Char('\t')),
                               QRect(f[4].toInt(), f[5].toInt(), f[6].toInt(), f[7].toInt()), f[3].toInt(),
                               f[1].toInt(), f[2].toInt()});
        } else if (f.size() >= 5 && f[0] == QLatin1String("ignore")) {
            s.ignored.emplace_back(f[1].toInt(), f[2].toInt(), f[3].toInt(), f[4].toInt());
        }
    }
    s.image.load(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
    s.image = s.image.convertToFormat(QImage::Format_RGB32);
    s.name += QStringLiteral(" %1 %2x").arg(languageName(s.language)).arg(s.scale);
    return page;
}

}  // namespace klipo::test
