#include "selfcheck/SnapshotExpectations.h"

#include "app/Appearance.h"
#include "app/HUDHintPanel.h"
#include "overlay/SelHints.h"
#include "overlay/SelInlineToolbar.h"
#include "overlay/SelStyleStrip.h"
#include "recording/RecControlBarPanel.h"
#include "recording/RecOptionsBarPanel.h"
#include "scroll/ScrollControlBarPanel.h"

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

}  // namespace klipo::test
