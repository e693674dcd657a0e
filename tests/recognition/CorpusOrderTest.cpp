// The reference text of the generated screens and of the real pages tuned on
// is in the order a person reads each part: no line is written down after one
// it stands left of on the same row, or above in the same column.
#include "ScreenFixtures.h"
#include "corpus/GeneratedScreens.h"
#include "corpus/RealPages.h"

#include <gtest/gtest.h>

using namespace klipo::test;

namespace {

// Where a line written down after `earlier` of the same part would be read before it.
bool readsBefore(const QRect& later, const QRect& earlier)
{
    const int shared = std::min(later.bottom(), earlier.bottom()) - std::max(later.top(), earlier.top());
    const bool sameRow = shared > std::min(later.height(), earlier.height()) / 2;
    const bool sameColumn = std::min(later.right(), earlier.right()) > std::max(later.left(), earlier.left());
    return (sameRow && later.right() < earlier.left()) || (sameColumn && later.bottom() < earlier.top());
}

void expectReadingOrder(const Screen& screen)
{
    const auto& lines = screen.lines;
    for (size_t i = 0; i < lines.size(); ++i)
        for (size_t j = i + 1; j < lines.size(); ++j) {
            const ReferenceLine& a = lines[i];
            const ReferenceLine& b = lines[j];
            if (a.window != b.window || a.part != b.part) continue;
            EXPECT_FALSE(readsBefore(b.box, a.box)) << qPrintable(screen.name) << ": \"" << qPrintable(a.text)
                                                    << "\" written down before \"" << qPrintable(b.text) << '"';
        }
}

// A line partly hidden under a window leaves unscored only what shows of it:
// no line written down, of the window on top included, lies mostly there.
void expectEveryLineScored(const Screen& screen)
{
    for (const ReferenceLine& line : screen.lines)
        for (const QRegion& hidden : screen.ignored)
            EXPECT_LT(areaIn(line.box, hidden) * 2, qint64(line.box.width()) * line.box.height())
                << qPrintable(screen.name) << ": \"" << qPrintable(line.text) << "\" lies where nothing is scored";
}

}  // namespace

TEST(CorpusOrder, writesDownEveryPartInReadingOrder_GeneratedScreensAndRealPages)
{
    for (quint32 seed = 1; seed <= kTuningSeeds; ++seed) {
        const Screen screen = generateScreen(seed);
        expectReadingOrder(screen);
        expectEveryLineScored(screen);
    }
    for (const QString& name : realPageNames(QStringLiteral(KLIPO_REAL_PAGES))) {
        const RealPage page = loadRealPage(QStringLiteral(KLIPO_REAL_PAGES), name);
        if (page.set == QLatin1String("tuning")) expectReadingOrder(page.screen);
    }
}
