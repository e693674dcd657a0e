#include "selfcheck/SnapshotExpectations.h"

#include "app/Appearance.h"
#include "app/HUDHintPanel.h"
#include "overlay/SelHints.h"
#include "overlay/SelInlineToolbar.h"
#include "overlay/SelStyleStrip.h"
#include "recording/RecControlBarPanel.h"
#include "recording/RecOptionsBarPanel.h"
#include "scroll/ScrollControlBarPanel.h"

#include <QHash>

#include <algorithm>

namespace klipo::test {

namespace {

QSize twice(QSizeF size) { return {int(size.width() * 2), int(size.height() * 2)}; }

QSize toolbarSize(SelInlineToolbar::Mode mode)
{
    SelInlineToolbar bar;
    bar.setMode(mode);
    bar.ensurePolished();
    return bar.sizeHint();
}

QSize stripSize()
{
    SelStyleStrip strip;
    strip.configure(AnnoTool::rectangle, AnnoStyle{});
    strip.ensurePolished();
    return strip.sizeHint();
}

QSizeF cardSize(const SelHints::Context& context) { return HUDHintPanel::size(SelHints::rows(context)); }

}  // namespace

QList<ExpectedSnapshot> expectedSnapshots(PrefsAppearanceTheme theme)
{
    applyAppearance(theme);
    const QSize toolbar = toolbarSize(SelInlineToolbar::Mode::normal);
    const QSize strip = stripSize();
    SelHints::Context editing;
    editing.phase = SelPhase::editing;
    editing.editingHere = true;
    editing.primaryAction = SelAction::translate;

    RecOptionsBarPanel options(RecOptions{RecFormat::mp4, 30, false});
    RecControlBarPanel control;
    control.setElapsed(42);
    ScrollControlBarPanel scroll(true);
    scroll.updateCount(12);

    return {
        {QStringLiteral("toolbar-normal"), twice(toolbar)},
        {QStringLiteral("toolbar-annotate-with-style"),
         twice(QSize(std::max(toolbar.width(), strip.width()), toolbar.height() + 8 + strip.height()))},
        {QStringLiteral("toolbar-translated"), twice(toolbarSize(SelInlineToolbar::Mode::translated))},
        {QStringLiteral("hint-selecting"), twice(cardSize({}))},
        {QStringLiteral("hint-editing"), twice(cardSize(editing))},
        {QStringLiteral("rec-options-bar"), twice(options.contentView()->size())},
        {QStringLiteral("rec-control-bar"), twice(control.contentView()->size())},
        {QStringLiteral("scroll-control-bar"), twice(scroll.contentView()->size())},
        {QStringLiteral("overlay-composite"), QSize(1960, 1280)},
    };
}

Ink measureInk(const QImage& image, int colourLimit)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    QHash<QRgb, qint64> counts;
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) ++counts[line[x]];
    }
    qint64 most = 0;
    for (qint64 n : std::as_const(counts)) most = std::max(most, n);
    const qint64 area = qint64(argb.width()) * argb.height();
    return {area ? double(area - most) / double(area) : 0, int(std::min<qsizetype>(counts.size(), colourLimit))};
}

bool looksDrawn(const QImage& image)
{
    const Ink ink = measureInk(image);
    return ink.colours > 1 && ink.share > 0.03;
}

}  // namespace klipo::test
