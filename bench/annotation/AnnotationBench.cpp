// Prints what annotation costs where users feel it: composing a busy markup
// for export, and the time from a pen drag event to the repainted canvas.
// With a folder argument it also writes the composed scene as a PNG there.
#include "annotation/canvas/AnnoCanvasView.h"
#include "annotation/render/AnnoRenderer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

using namespace klipo;

namespace {

double percentile(std::vector<double> values, double q)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(q * double(values.size())))];
}

// A screenshot-like picture: a window with a title bar, text rows and a photo.
QImage screenshot()
{
    QImage image(1920, 1080, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(236, 238, 241));
    QPainter p(&image);
    p.fillRect(QRect(120, 80, 1680, 920), Qt::white);
    p.fillRect(QRect(120, 80, 1680, 44), QColor(52, 58, 70));
    QLinearGradient photo(1200, 200, 1700, 600);
    photo.setColorAt(0, QColor(40, 120, 200));
    photo.setColorAt(1, QColor(240, 180, 60));
    p.fillRect(QRect(1200, 200, 500, 400), photo);
    QFont font = p.font();
    font.setPixelSize(18);
    p.setFont(font);
    p.setPen(QColor(30, 30, 30));
    for (int row = 0; row < 34; ++row)
        p.drawText(QPointF(160, 170 + row * 24),
                   QStringLiteral("第 %1 行：The quick brown fox 跳过懒狗 — 订单号 %2").arg(row + 1).arg(48213 + row * 7));
    return image;
}

AnnoItem makeMark(AnnoTool tool, QRandomGenerator& rng)
{
    AnnoStyle style;
    style.apply(QColor::fromHsv(rng.bounded(360), 200, 230));
    style.lineWidth = 2 + rng.bounded(8);
    AnnoItem item = AnnoItem::make(tool, style);
    const QPointF at(100 + rng.bounded(1600), 100 + rng.bounded(850));
    item.start = at;
    item.end = at + QPointF(40 + rng.bounded(260), 30 + rng.bounded(160));
    switch (tool) {
    case AnnoTool::pen:
        for (int i = 0; i < 200; ++i)
            item.points.append(at + QPointF(i * 1.6, 40 * std::sin(i / 9.0) + rng.bounded(3)));
        break;
    case AnnoTool::mosaic: item.style.lineWidth = 4 * (1 + rng.bounded(3)); break;
    case AnnoTool::text:
        item.style.fontSize = 20 + rng.bounded(20);
        item.text = QStringLiteral("这里需要修改 Fix #%1").arg(rng.bounded(100));
        break;
    case AnnoTool::number: item.style.fontSize = 24; break;
    case AnnoTool::rectangle:
    case AnnoTool::ellipse: item.style.filled = rng.bounded(5) == 0; break;
    default: break;
    }
    return item;
}

// 200 marks: 22 pen strokes of 200 points, 12 mosaics, 20 texts, 20 badges,
// and boxes, lines, arrows and highlights.
QList<AnnoItem> scene()
{
    QRandomGenerator rng(20240611);
    const std::pair<AnnoTool, int> counts[] = {
        {AnnoTool::pen, 22},       {AnnoTool::mosaic, 12}, {AnnoTool::text, 20},  {AnnoTool::number, 20},
        {AnnoTool::rectangle, 30}, {AnnoTool::ellipse, 25}, {AnnoTool::line, 25}, {AnnoTool::arrow, 26},
        {AnnoTool::highlight, 20}};
    QList<AnnoItem> items;
    for (const auto& [tool, n] : counts)
        for (int i = 0; i < n; ++i) items.append(makeMark(tool, rng));
    for (int i = 0; i < items.size(); ++i) items[i].number = i % 20 + 1;
    // Mixed stacking order, as marks are made in practice.
    std::shuffle(items.begin(), items.end(), std::mt19937(7));
    return items;
}

// One mark of every tool, readable at full size.
QList<AnnoItem> showcase()
{
    const auto make = [](AnnoTool tool, QPointF a, QPointF b, QColor color, double width = 4) {
        AnnoStyle style;
        style.apply(color);
        style.lineWidth = width;
        AnnoItem item = AnnoItem::make(tool, style);
        item.start = a;
        item.end = b;
        return item;
    };
    QList<AnnoItem> items;
    items << make(AnnoTool::highlight, {150, 160}, {620, 186}, QColor(255, 217, 38));
    items << make(AnnoTool::mosaic, {150, 210}, {560, 260}, Qt::gray, 4);
    items << make(AnnoTool::mosaic, {150, 280}, {560, 330}, Qt::gray, 1);
    items << make(AnnoTool::rectangle, {140, 350}, {600, 420}, QColor(240, 59, 54), 4);
    AnnoItem filled = make(AnnoTool::ellipse, {1250, 240}, {1450, 360}, QColor(51, 191, 89));
    filled.style.filled = true;
    items << filled << make(AnnoTool::ellipse, {1180, 180}, {1520, 420}, QColor(26, 133, 245), 6);
    items << make(AnnoTool::arrow, {900, 520}, {640, 390}, QColor(240, 59, 54), 5);
    items << make(AnnoTool::line, {700, 140}, {1000, 140}, QColor(153, 77, 230), 3);
    AnnoItem pen = make(AnnoTool::pen, {}, {}, QColor(26, 133, 245), 5);
    for (int i = 0; i <= 120; ++i) pen.points << QPointF(700 + i * 3, 600 + 30 * std::sin(i / 8.0));
    items << pen;
    AnnoItem text = make(AnnoTool::text, {920, 500}, {}, QColor(240, 59, 54));
    text.style.fontSize = 30;
    text.text = QStringLiteral("这里要改：Fix the total");
    items << text;
    for (int n = 1; n <= 3; ++n) {
        AnnoItem badge = make(AnnoTool::number, {110, 173 + (n - 1) * 62.0}, {}, QColor(240, 59, 54));
        badge.style.fontSize = 24;
        badge.number = n;
        items << badge;
    }
    return items;
}

void mouse(AnnoCanvasView& canvas, QEvent::Type type, QPointF imagePx)
{
    const QPointF v = canvas.viewPoint(imagePx);
    QMouseEvent event(type, v, canvas.mapToGlobal(v), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&canvas, &event);
}

// Makes the mark on the canvas the way a user would.
void addByInput(AnnoCanvasView& canvas, const AnnoItem& item)
{
    canvas.setTool(item.tool);
    canvas.setStyle(item.style);
    if (item.tool == AnnoTool::pen) {
        mouse(canvas, QEvent::MouseButtonPress, item.points.first());
        for (const QPointF& p : item.points) mouse(canvas, QEvent::MouseMove, p);
        mouse(canvas, QEvent::MouseButtonRelease, item.points.last());
    } else if (item.tool == AnnoTool::text) {
        mouse(canvas, QEvent::MouseButtonPress, item.start);
        mouse(canvas, QEvent::MouseButtonRelease, item.start);
        canvas.editor()->setText(item.text);
        QTest::keyClick(canvas.editor(), Qt::Key_Return);
    } else if (item.tool == AnnoTool::number) {
        mouse(canvas, QEvent::MouseButtonPress, item.start);
        mouse(canvas, QEvent::MouseButtonRelease, item.start);
    } else {
        mouse(canvas, QEvent::MouseButtonPress, item.start);
        mouse(canvas, QEvent::MouseMove, item.end);
        mouse(canvas, QEvent::MouseButtonRelease, item.end);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QImage image = screenshot();
    const QList<AnnoItem> items = scene();

    // (a) Compose for export: the first run also averages the mosaic blocks.
    AnnoRenderer renderer(image);
    std::vector<double> compose;
    QImage composed;
    for (int run = 0; run < 21; ++run) {
        QElapsedTimer t;
        t.start();
        composed = renderer.compose(items, QRectF(0, 0, 1920, 1080));
        compose.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    const double first = compose.front();
    compose.erase(compose.begin());
    std::printf("compose 200 marks on 1920x1080: median %.1f ms (first run with mosaic blocks %.1f ms)\n",
                percentile(compose, 0.5), first);
    if (argc > 1) {
        const QString path = QDir(QString::fromLocal8Bit(argv[1])).filePath(QStringLiteral("annotation-scene.png"));
        std::printf("wrote %s: %s\n", qPrintable(path), composed.save(path) ? "ok" : "failed");
        const QString tour = QDir(QString::fromLocal8Bit(argv[1])).filePath(QStringLiteral("annotation-tools.png"));
        const QImage tools = renderer.compose(showcase(), QRectF(60, 120, 1500, 560));
        std::printf("wrote %s: %s\n", qPrintable(tour), tools.save(tour) ? "ok" : "failed");
    }

    // (b) Pen latency on a window-mode canvas with the same 200 marks.
    AnnoCanvasView canvas;
    canvas.resize(1200, 700);
    canvas.show();
    (void)QTest::qWaitForWindowExposed(&canvas);
    canvas.load(image);
    for (const AnnoItem& item : items) addByInput(canvas, item);
    canvas.repaint();
    std::printf("canvas holds %lld marks at scale %.3f\n", qlonglong(canvas.items().size()), canvas.mapping().scale);

    canvas.setTool(AnnoTool::pen);
    AnnoStyle pen;
    pen.lineWidth = 4;
    canvas.setStyle(pen);
    std::vector<double> latency;
    const int rebuildsBefore = canvas.layerRebuilds();
    mouse(canvas, QEvent::MouseButtonPress, QPointF(300, 500));
    canvas.repaint();
    for (int i = 1; i <= 300; ++i) {
        const QPointF p(300 + i * 4.0, 500 + 120 * std::sin(i / 15.0));
        QElapsedTimer t;
        t.start();
        mouse(canvas, QEvent::MouseMove, p);
        canvas.repaint();
        latency.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    const int rebuildsDuringStroke = canvas.layerRebuilds() - rebuildsBefore;
    mouse(canvas, QEvent::MouseButtonRelease, QPointF(1500, 500));
    QElapsedTimer t;
    t.start();
    canvas.repaint();
    const double afterCommit = double(t.nsecsElapsed()) / 1e6;
    std::printf("pen latency over 300 drag events on 1200x700: p50 %.2f ms, p95 %.2f ms, max %.2f ms "
                "(layer rebuilt %d times during the stroke)\n",
                percentile(latency, 0.5), percentile(latency, 0.95), percentile(latency, 1.0),
                rebuildsDuringStroke);
    std::printf("first repaint after committing the stroke (layer rebuilt): %.1f ms\n", afterCommit);
    return 0;
}
