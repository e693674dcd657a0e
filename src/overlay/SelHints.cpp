#include "overlay/SelHints.h"

namespace klipo::SelHints {

namespace {
using Row = HUDHintPanel::Row;

Row keyRow(const QString& key, const QString& text) { return Row{key, text}; }
Row textRow(const QString& text) { return Row{std::nullopt, text}; }

constexpr double kInset = 24;
constexpr double kPointerMargin = 60;
}  // namespace

QList<HUDHintPanel::Row> rows(const Context& c)
{
    QList<Row> list;
    if (c.phase == SelPhase::selecting) {
        if (c.pickMode && !c.pickHint.isEmpty()) list << textRow(c.pickHint);
        list << textRow(QStringLiteral("拖动框选 · 单击选中窗口"));
        list << keyRow(QStringLiteral("F"), QStringLiteral("选择整个屏幕"));
        list << keyRow(QStringLiteral("回车"), QStringLiteral("选中光标所在窗口"));
        if (!c.pickMode) {
            list << keyRow(QStringLiteral("C"), QStringLiteral("屏幕取色器"));
            list << keyRow(QStringLiteral("D"), QStringLiteral("延时截图"));
            list << keyRow(QStringLiteral("R"), QStringLiteral("截取上次区域"));
        }
        list << keyRow(QStringLiteral("Esc"), QStringLiteral("退出（鼠标右键同）"));
        return list;
    }
    if (!c.editingHere) return list;
    if (c.textSelecting) {
        list << textRow(QStringLiteral("拖动选择文字 · 双击选词 · 三击选整行"));
        list << keyRow(QStringLiteral("Ctrl+A"), QStringLiteral("全选"));
        list << keyRow(QStringLiteral("Ctrl+C"), QStringLiteral("复制所选"));
        list << keyRow(QStringLiteral("Esc"), QStringLiteral("清除选择 · 再按逐层退出"));
        return list;
    }
    // Each row says what its key does now: a translation in progress takes
    // only Esc, a finished one copies its picture on Return and goes back on
    // Esc; marks on the selection hold it in place against the arrow keys.
    switch (c.translation) {
    case Context::Translation::running: list << keyRow(QStringLiteral("Esc"), QStringLiteral("取消翻译")); return list;
    case Context::Translation::done:
        list << keyRow(QStringLiteral("回车"), QStringLiteral("复制翻译后的图片"));
        list << keyRow(QStringLiteral("Esc"), QStringLiteral("还原原图 · 再按退出"));
        return list;
    case Context::Translation::idle: break;
    }
    // The arrow keys move the selection by one device pixel, whatever the screen's density.
    if (!c.marksDrawn) {
        list << keyRow(QStringLiteral("方向键"), QStringLiteral("微调选区 1 像素"));
        list << keyRow(QStringLiteral("Shift+方向键"), QStringLiteral("微调 10 像素"));
    }
    list << keyRow(QStringLiteral("回车"),
                   c.primaryAction == SelAction::translate ? QStringLiteral("翻译") : QStringLiteral("复制"));
    list << keyRow(QStringLiteral("Ctrl+Z"), QStringLiteral("撤销"));
    list << keyRow(QStringLiteral("Esc"), QStringLiteral("退出"));
    return list;
}

QRectF frame(const QRectF& b, const QSizeF& s, SelHintCorner corner)
{
    const double left = b.left() + kInset;
    const double right = b.right() - kInset - s.width();
    const double top = b.top() + kInset;
    const double bottom = b.bottom() - kInset - s.height();
    switch (corner) {
    case SelHintCorner::bottomLeft: return {QPointF(left, bottom), s};
    case SelHintCorner::bottomRight: return {QPointF(right, bottom), s};
    case SelHintCorner::topLeft: return {QPointF(left, top), s};
    case SelHintCorner::topRight: return {QPointF(right, top), s};
    }
    return {QPointF(left, bottom), s};
}

SelHintCorner chooseCorner(const QRectF& bounds, const QSizeF& size, const QPointF& pointer,
                           const QList<QRectF>& obstacles)
{
    for (SelHintCorner corner : {SelHintCorner::bottomLeft, SelHintCorner::bottomRight, SelHintCorner::topLeft,
                                 SelHintCorner::topRight}) {
        const QRectF f = frame(bounds, size, corner);
        if (f.adjusted(-kPointerMargin, -kPointerMargin, kPointerMargin, kPointerMargin).contains(pointer)) continue;
        bool blocked = false;
        for (const QRectF& o : obstacles)
            if (!o.isEmpty() && f.intersects(o)) blocked = true;
        if (!blocked) return corner;
    }
    return SelHintCorner::bottomLeft;
}

}  // namespace klipo::SelHints
