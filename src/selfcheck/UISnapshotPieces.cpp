#include "selfcheck/UISnapshotPieces.h"

#include "annotation/model/AnnoStyle.h"
#include "app/Appearance.h"
#include "overlay/SelHints.h"
#include "overlay/SelInlineToolbar.h"
#include "overlay/SelStyleStrip.h"
#include "recording/RecBlinkDot.h"
#include "recording/RecControlBarPanel.h"
#include "recording/RecOptionsBarPanel.h"
#include "scroll/ScrollControlBarPanel.h"
#include "selfcheck/UISnapshotCompositeView.h"

#include <QCoreApplication>
#include <QLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace klipo::UISnapshotPieces {

namespace {

QImage renderFree(QWidget* widget, const QPalette& palette) { return renderWidget(widget, widget, palette); }

QImage hintCard(const QList<HUDHintPanel::Row>& rows)
{
    // The card is the same dark card in every appearance.
    return drawToImage(HUDHintPanel::size(rows),
                       [&rows](QPainter& painter, const QRectF& rect) { HUDHintPanel::draw(rows, painter, rect); });
}

QImage annotateWithStyle(const QPalette& palette)
{
    QWidget stack;
    auto* column = new QVBoxLayout(&stack);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    auto* toolbar = new SelInlineToolbar;
    toolbar->setActiveTool(AnnoTool::rectangle);
    auto* strip = new SelStyleStrip;
    strip->configure(AnnoTool::rectangle, AnnoStyle{0.94, 0.23, 0.21, 1, 4, 28, false});
    column->addWidget(toolbar, 0, Qt::AlignLeft);
    column->addWidget(strip, 0, Qt::AlignLeft);
    return renderFree(&stack, palette);
}

QImage toolbar(SelInlineToolbar::Mode mode, const QPalette& palette)
{
    SelInlineToolbar bar;
    bar.setMode(mode);
    return renderFree(&bar, palette);
}

QImage recOptionsBar(const QPalette& palette)
{
    RecOptionsBarPanel panel(RecOptions{RecFormat::mp4, 30, false});
    return panel.contentView() ? renderWidget(panel.contentView(), &panel, palette) : QImage();
}

QImage recControlBar(const QPalette& palette)
{
    RecControlBarPanel panel;
    panel.setElapsed(42);
    const QImage image = panel.contentView() ? renderWidget(panel.contentView(), &panel, palette) : QImage();
    if (panel.dotView()) panel.dotView()->stopBlinking();
    return image;
}

QImage scrollControlBar(const QPalette& palette)
{
    ScrollControlBarPanel panel(true);
    panel.updateCount(12);
    return panel.contentView() ? renderWidget(panel.contentView(), &panel, palette) : QImage();
}

QImage overlayComposite(const QPalette& palette)
{
    UISnapshotCompositeView view;
    return renderFree(&view, palette);
}

}  // namespace

const QStringList& names()
{
    static const QStringList list{
        QStringLiteral("toolbar-normal"), QStringLiteral("toolbar-annotate-with-style"),
        QStringLiteral("toolbar-translated"), QStringLiteral("hint-selecting"),
        QStringLiteral("hint-editing"), QStringLiteral("rec-options-bar"),
        QStringLiteral("rec-control-bar"), QStringLiteral("scroll-control-bar"),
        QStringLiteral("overlay-composite"),
    };
    return list;
}

QList<HUDHintPanel::Row> selectingRows() { return SelHints::rows(SelHints::Context{}); }

QList<HUDHintPanel::Row> editingRows()
{
    SelHints::Context context;
    context.phase = SelPhase::editing;
    context.editingHere = true;
    context.primaryAction = SelAction::translate;
    return SelHints::rows(context);
}

QList<Shot> renderAll(PrefsAppearanceTheme theme)
{
    applyAppearance(theme);
    const QPalette palette =
        theme == PrefsAppearanceTheme::dark ? darkAppearancePalette() : lightAppearancePalette();
    const QStringList& n = names();
    return {
        {n[0], toolbar(SelInlineToolbar::Mode::normal, palette)},
        {n[1], annotateWithStyle(palette)},
        {n[2], toolbar(SelInlineToolbar::Mode::translated, palette)},
        {n[3], hintCard(selectingRows())},
        {n[4], hintCard(editingRows())},
        {n[5], recOptionsBar(palette)},
        {n[6], recControlBar(palette)},
        {n[7], scrollControlBar(palette)},
        {n[8], overlayComposite(palette)},
    };
}

QImage makeImage(const QSizeF& size)
{
    if (!(size.width() > 1 && size.height() > 1)) return {};
    QImage image(int(size.width() * 2), int(size.height() * 2), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return {};
    image.setDevicePixelRatio(2);
    image.fill(Qt::transparent);
    return image;
}

QImage renderWidget(QWidget* widget, QWidget* window, const QPalette& palette)
{
    window->setPalette(palette);
    window->ensurePolished();
    if (window == widget) {
        // A piece of its own takes the size it asks for.
        const QSize fitting = widget->sizeHint();
        if (fitting.width() > 1 && fitting.height() > 1) widget->resize(fitting);
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    if (QLayout* layout = window->layout()) layout->activate();
    QImage image = makeImage(widget->size());
    if (image.isNull()) return {};
    // Only what the piece draws: its rounded corners stay transparent.
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

QImage drawToImage(const QSizeF& size, const std::function<void(QPainter&, const QRectF&)>& draw)
{
    QImage image = makeImage(size);
    if (image.isNull()) return {};
    QPainter painter(&image);
    draw(painter, QRectF(QPointF(0, 0), size));
    painter.end();
    return image;
}

}  // namespace klipo::UISnapshotPieces
