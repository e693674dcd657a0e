// The text engines for real. Recognition on pictures drawn here with known
// text: scripts, small text, word boxes, failing engines, text close to
// window frames and icons, whose edges must not be read as characters,
// window buttons, icons and pictures that give no text, and a terminal's
// coloured text on white. The
// translation layer on Apertium (apertium-eng-spa is installed by the set-up;
// other packs are not) and on small stand-in pipelines; the language recogniser.
#include "TextPictures.h"
#include "platform/text/ApertiumPipeline.h"
#include "platform/text/ApertiumTranslator.h"
#include "platform/text/Cld2LanguageDetector.h"
#include "platform/text/TextRecognizer.h"
#include "platform/text/TextServices.h"
#include "recognition/OCRService.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QRegularExpression>

#include <cmath>
#include <csignal>
#include <thread>

using namespace klipo;
using namespace klipo::platform;
using namespace std::chrono_literals;
using klipo::test::drawPicture;

namespace {

OcrOutcome recognize(const QImage& image, bool anchors = false)
{
    QFuture<OcrOutcome> future = OCRService::recognizeBlocks(image, anchors);
    future.waitForFinished();
    if (future.resultCount() != 1) return {false, QStringLiteral("no outcome"), {}};
    return future.result();
}

const QString kEnglishFirst = QStringLiteral("Recognition runs on a background thread so that");
const QString kEnglishSecond = QStringLiteral("the interface never stops responding to input.");
const QString kChineseSecond = QStringLiteral("始终能够响应鼠标和键盘的操作。");
const test::PictureStyle kChinese{Qt::white, Qt::black, true};

std::vector<TextLine> recognizedLines(const QImage& image)
{
    std::vector<TextLine> lines;
    for (const TextBlock& block : recognize(image).blocks)
        lines.insert(lines.end(), block.lines.begin(), block.lines.end());
    return lines;
}

// A light window with a grey frame on a dark desktop; its lines start `inset`
// pixels inside the frame (or end there, when aligned right).
struct FramedWindow {
    QRect window;
    int frame = 1;
    int inset = 2;
    qreal radius = 0;
    bool alignRight = false;
    bool chinese = false;
};

const QSize kScreen(640, 200);

QImage drawWindow(const FramedWindow& w, const QStringList& lines)
{
    QImage image(kScreen, QImage::Format_RGB32);
    image.fill(QColor(35, 35, 38));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(110, 110, 110), w.frame));
    painter.setBrush(QColor(245, 245, 245));
    const qreal half = w.frame / 2.0;
    painter.drawRoundedRect(QRectF(w.window).adjusted(half, half, -half, -half), w.radius, w.radius);
    QFont font(w.chinese ? QStringLiteral("WenQuanYi Micro Hei") : QStringLiteral("DejaVu Sans"));
    font.setPixelSize(15);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QFontMetricsF metrics(font);
    const QRectF inner = QRectF(w.window).adjusted(w.frame + w.inset, w.frame + w.inset, -w.frame - w.inset, 0);
    for (int i = 0; i < lines.size(); ++i) {
        const qreal x = w.alignRight ? inner.right() - metrics.horizontalAdvance(lines[i]) : inner.left();
        painter.drawText(QPointF(x, inner.top() + i * metrics.lineSpacing() * 1.3 + metrics.ascent()), lines[i]);
    }
    return image;
}

std::vector<TranslationRequest> requests(std::initializer_list<const char*> texts)
{
    std::vector<TranslationRequest> out;
    int id = 0;
    for (const char* t : texts) out.push_back({QString::fromUtf8(t), QString::number(id++)});
    return out;
}

// The answers' texts, in the order given.
std::vector<QString> texts(const TranslationOutcome& outcome)
{
    std::vector<QString> out;
    for (const TranslationResponse& r : outcome.responses) out.push_back(r.targetText);
    return out;
}

const std::optional<QString> kSpanish = QStringLiteral("es");

// A modes folder holding one mode "spa-eng" with the given shell command.
QString modesWith(const QString& command)
{
    const QString dir = klipo::test::freshDir(QStringLiteral("modes"));
    QFile file(dir + QStringLiteral("/spa-eng.mode"));
    file.open(QIODevice::WriteOnly);
    file.write(command.toUtf8());
    return dir;
}

}  // namespace

TEST(OcrService, readsAnEnglishParagraph_IntoOneBlockWithBottomLeftRects)
{
    const QImage image =
        drawPicture(QSize(700, 160), {{kEnglishFirst, QPoint(20, 30), 20}, {kEnglishSecond, QPoint(20, 56), 20}});
    const OcrOutcome outcome = recognize(image);
    ASSERT_TRUE(outcome.ok) << qPrintable(outcome.error);
    ASSERT_EQ(outcome.blocks.size(), 1u);
    EXPECT_EQ(outcome.blocks[0].text, kEnglishFirst + QLatin1Char(' ') + kEnglishSecond);
    ASSERT_EQ(outcome.blocks[0].lines.size(), 2u);
    // The first line is drawn 30 px below the top: near the top of the model's space.
    const QRectF first = outcome.blocks[0].lines[0].rect;
    EXPECT_NEAR(first.bottom(), 160 - 30 - 4, 4);
    EXPECT_NEAR(first.left(), 20, 3);
    EXPECT_GT(first.top(), outcome.blocks[0].lines[1].rect.top());
}

TEST(OcrService, readsJapaneseAndSmallText_AndNothingButNoErrorWhereThereIsNoText)
{
    const QString japanese = QStringLiteral("今日はとても良い天気です。私たちは公園に行きます。");
    const struct {
        QImage picture;
        QString text;
        bool cjk;  // CJK recognition puts spaces where it likes
    } cases[] = {
        {drawPicture(QSize(900, 80), {{japanese, {20, 25}, 22}}, kChinese), japanese, true},
        {drawPicture(QSize(500, 60), {{kEnglishSecond, {10, 20}, 11}}), kEnglishSecond, false},
        {drawPicture(QSize(400, 60), {{kChineseSecond, {10, 20}, 12}}, kChinese), kChineseSecond, true},
        {drawPicture(QSize(800, 600), {}, {QColor(240, 240, 240)}), QString(), false},
        {QImage(), QString(), false},
    };
    for (const auto& c : cases) {
        const OcrOutcome outcome = recognize(c.picture);
        EXPECT_TRUE(outcome.ok) << qPrintable(outcome.error);
        const QString read = test::allText(outcome.blocks);
        EXPECT_EQ(c.cjk ? test::squeezed(read) : read, c.cjk ? test::squeezed(c.text) : c.text);
    }
}

TEST(OcrService, boxesWords_WhenAnchorsAreAskedFor)
{
    const OcrOutcome outcome =
        recognize(drawPicture(QSize(400, 80), {{QStringLiteral("hello world"), {20, 25}, 24}}), true);
    ASSERT_EQ(outcome.blocks.size(), 1u);
    const TextLine& line = outcome.blocks[0].lines[0];
    ASSERT_EQ(line.text, QStringLiteral("hello world"));
    ASSERT_TRUE(line.anchors.has_value());
    ASSERT_EQ(line.anchors->size(), 2u);
    const TextAnchor& hello = (*line.anchors)[0];
    const TextAnchor& world = (*line.anchors)[1];
    EXPECT_EQ(std::make_pair(world.start, world.end), std::make_pair(std::int64_t(6), std::int64_t(11)));
    EXPECT_LT(hello.rect.right(), world.rect.left());
    EXPECT_TRUE(line.rect.adjusted(-1, -1, 1, 1).contains(hello.rect));

    const QImage ideographs =
        drawPicture(QSize(400, 80), {{QStringLiteral("今天天气很好我们"), {20, 25}, 24}}, kChinese);
    const OcrOutcome han = recognize(ideographs, true);
    ASSERT_EQ(han.blocks.size(), 1u);
    ASSERT_TRUE(han.blocks[0].lines[0].anchors.has_value());
    EXPECT_EQ(han.blocks[0].lines[0].anchors->size(), 2u) << qPrintable(han.blocks[0].lines[0].text);
    EXPECT_FALSE(recognize(ideographs, false).blocks[0].lines[0].anchors.has_value());
}

TEST(OcrService, endsWithOneFailure_WhenTheEngineNeverReportsOrThrows)
{
    // One engine lets go of its report uncalled, one throws.
    struct Silent : TextRecognizer {
        void recognize(const QImage&, const RecognitionOptions&, const Report&) override {}
    } silent;
    struct Throwing : TextRecognizer {
        void recognize(const QImage&, const RecognitionOptions&, const Report&) override { throw std::bad_alloc(); }
    } throwing;
    for (TextRecognizer* engine : {static_cast<TextRecognizer*>(&silent), static_cast<TextRecognizer*>(&throwing)}) {
        const ScopedTextServices scoped({engine, nullptr, nullptr});
        const OcrOutcome outcome = recognize(QImage(10, 10, QImage::Format_RGB32));  // exactly one outcome
        EXPECT_FALSE(outcome.ok);
        EXPECT_TRUE(outcome.error.startsWith(QStringLiteral("文字识别失败"))) << qPrintable(outcome.error);
    }
}

TEST(EdgeNoise, readsLinesBesideAWindowFrame_WithoutTheFrameOrTheDesktop)
{
    const QRect tall(30, 20, 580, 160);  // the frame runs down most of the picture
    const QRect small(40, 60, 440, 52);  // a dialog or tooltip of two lines
    const FramedWindow windows[] = {{tall, 1, 2},
                                    {tall, 2, 3, 0, true},
                                    {small, 1, 3},
                                    {small, 1, 3, 8},
                                    {QRect(40, 60, 340, 56), 1, 3, 0, true, true}};
    for (const FramedWindow& w : windows) {
        const QStringList latin = {QStringLiteral("El gato duerme en el sofa mientras nieva."),
                                   QStringLiteral("The cat sleeps on the sofa while it rains."),
                                   QStringLiteral("Hoy tengo 3 gatos y 2 perros, y a ti?")};
        const QStringList drawn = w.chinese ? QStringList{QStringLiteral("今天天气很好，我们去公园。"),
                                                          QStringLiteral("文字识别在后台线程中运行。")}
                                  : w.window == small ? latin.mid(1)
                                                      : latin;
        const std::vector<TextLine> lines = recognizedLines(drawWindow(w, drawn));
        SCOPED_TRACE(testing::Message() << "frame " << w.frame << " inset " << w.inset << " radius " << w.radius
                                        << (w.alignRight ? " right" : " left"));
        ASSERT_EQ(lines.size(), size_t(drawn.size()));
        const QRectF inside = QRectF(w.window).adjusted(w.frame, w.frame, -w.frame, -w.frame);
        for (size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(w.chinese ? test::squeezed(lines[i].text) : lines[i].text, drawn[int(i)]);
            EXPECT_TRUE(inside.contains(flipped(lines[i].rect, kScreen.height()))) << qPrintable(lines[i].text);
        }
    }
}

TEST(EdgeNoise, readsALineOnce_WhenAnIconMakesItsRowTallerThanItsText)
{
    QImage image = test::drawPicture(QSize(500, 120), {{QStringLiteral("Guardar el documento"), QPoint(78, 51), 14}});
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(60, 90, 200));
    painter.drawEllipse(QRectF(20, 36, 48, 48));
    painter.end();
    const std::vector<TextLine> lines = recognizedLines(image);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const TextLine& l) { return l.text.contains(QStringLiteral("documento")); }),
              1);
}

// A title bar with its window buttons (Mac circles on the left, minimise,
// maximise and close drawn as strokes on the right), a row of tool icons, a
// photograph-like drawing and an avatar beside two lines of text: only the
// title and the two lines come back, nothing where the buttons, icons and
// pictures are.
TEST(EdgeNoise, windowButtonsIconsAndPictures_GiveNoText)
{
    QImage image(QSize(760, 300), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(QRect(0, 0, 760, 32), QColor(232, 232, 234));
    const QColor mac[] = {QColor(255, 95, 86), QColor(255, 189, 46), QColor(39, 201, 63)};
    for (int i = 0; i < 3; ++i) {
        p.setPen(Qt::NoPen);
        p.setBrush(mac[i]);
        p.drawEllipse(QRectF(10 + 20 * i, 9, 14, 14));
    }
    p.setPen(QPen(QColor(40, 40, 40), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(666, 20), QPointF(680, 20));  // minimise
    p.drawRect(QRectF(698, 10, 12, 12));             // maximise
    p.drawLine(QPointF(728, 10), QPointF(740, 22));  // close
    p.drawLine(QPointF(728, 22), QPointF(740, 10));
    // Tool icons: back, forward, a star, a magnifier, a menu.
    for (int i = 0; i < 5; ++i) {
        const QPointF c(24 + 34 * i, 54);
        if (i < 2) {
            const qreal d = i == 0 ? -1 : 1;
            p.drawLine(c - QPointF(7 * d, 0), c + QPointF(7 * d, 0));
            p.drawLine(c + QPointF(7 * d, 0), c + QPointF(1 * d, -6));
            p.drawLine(c + QPointF(7 * d, 0), c + QPointF(1 * d, 6));
        } else if (i == 2) {
            QPolygonF star;
            for (int k = 0; k < 10; ++k)
                star << c + QPointF(std::cos(-M_PI / 2 + k * M_PI / 5), std::sin(-M_PI / 2 + k * M_PI / 5)) *
                                (k % 2 ? 3.5 : 8);
            p.drawPolygon(star);
        } else if (i == 3) {
            p.drawEllipse(c - QPointF(2, 2), 5, 5);
            p.drawLine(c + QPointF(2, 2), c + QPointF(7, 7));
        } else {
            for (int k = -1; k <= 1; ++k) p.drawLine(c + QPointF(-7, 5 * k), c + QPointF(7, 5 * k));
        }
    }
    const QRectF photo(20, 90, 300, 190);
    p.save();
    p.setClipRect(photo);
    QLinearGradient sky(photo.topLeft(), photo.bottomLeft());
    sky.setColorAt(0, QColor(120, 170, 225));
    sky.setColorAt(1, QColor(60, 120, 70));
    p.fillRect(photo, sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 110, 50));
    p.drawEllipse(QRectF(40, 200, 220, 110));
    p.setBrush(QColor(240, 200, 80));
    p.drawEllipse(QRectF(230, 110, 40, 40));
    p.setPen(QPen(QColor(40, 60, 30), 2));
    for (int i = 0; i < 6; ++i) p.drawLine(QPointF(60 + 30 * i, 260), QPointF(64 + 30 * i, 228 - 4 * i));
    p.restore();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 140, 200));
    p.drawEllipse(QRectF(350, 100, 36, 36));  // an avatar: a head and shoulders on a disc
    p.setBrush(QColor(200, 220, 240));
    p.drawEllipse(QRectF(362, 106, 12, 12));
    p.drawChord(QRectF(357, 120, 22, 18), 0, 180 * 16);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(15);
    p.setFont(font);
    p.setPen(QColor(30, 30, 30));
    p.drawText(QRectF(0, 0, 760, 32), Qt::AlignCenter, QStringLiteral("Holiday notes"));
    p.drawText(QPointF(400, 116), QStringLiteral("The harbour opens at nine."));
    p.drawText(QPointF(400, 142), QStringLiteral("Boats leave every hour."));
    p.end();

    const std::vector<TextLine> lines = recognizedLines(image);
    QStringList read;
    for (const TextLine& line : lines) read << line.text;
    EXPECT_EQ(read, (QStringList{QStringLiteral("Holiday notes"), QStringLiteral("The harbour opens at nine."),
                                 QStringLiteral("Boats leave every hour.")}))
        << qPrintable(read.join(QStringLiteral(" | ")));
}

// A terminal's title bar as a classic window manager draws it: the title in
// the middle and, on the right, three buttons each in a frame of its own
// (minimise, maximise, close), which the Chinese model reads as "目タ回国".
// They give no text; Chinese characters with frames of their own ("回国")
// on a Chinese page stay.
TEST(EdgeNoise, aRowOfFramedWindowButtons_GivesNoText_ButFramedChineseCharactersStay)
{
    QImage image(QSize(700, 190), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.fillRect(QRect(0, 0, 700, 26), QColor(214, 214, 214));
    p.setPen(QColor(20, 20, 20));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i) {
        const QRect frame(628 + 22 * i, 5, 15, 15);
        p.drawRect(frame);
        const QRect in = frame.adjusted(4, 4, -4, -4);
        if (i == 0) p.drawLine(in.bottomLeft(), in.bottomRight());
        if (i == 1) p.drawRect(in);
        if (i == 2) {
            p.drawLine(in.topLeft(), in.bottomRight());
            p.drawLine(in.bottomLeft(), in.topRight());
        }
    }
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(13);
    p.setFont(font);
    p.drawText(QRect(0, 0, 700, 26), Qt::AlignCenter, QStringLiteral("bash"));
    font.setFamily(QStringLiteral("DejaVu Sans Mono"));
    p.setFont(font);
    p.drawText(QPointF(8, 50), QStringLiteral("total 104952"));
    p.drawText(QPointF(8, 70), QStringLiteral("drwxr-xr-x 4 root root 4096 Dec  8 21:57 ."));
    p.end();

    QStringList read;
    for (const TextLine& line : recognizedLines(image)) read << line.text;
    EXPECT_EQ(read.size(), 3) << qPrintable(read.join(QStringLiteral(" | ")));
    EXPECT_FALSE(read.join(QString()).contains(QRegularExpression(QStringLiteral("[\\x{3040}-\\x{9fff}]"))))
        << qPrintable(read.join(QStringLiteral(" | ")));

    const QImage chinese =
        test::drawPicture(QSize(500, 130),
                          {{QStringLiteral("回国"), {20, 20}, 22},
                           {QStringLiteral("明天下午三点的航班已经确认"), {20, 70}, 22}},
                          {Qt::white, Qt::black, true});
    QStringList kept;
    for (const TextLine& line : recognizedLines(chinese)) kept << test::squeezed(line.text);
    EXPECT_TRUE(kept.contains(QStringLiteral("回国"))) << qPrintable(kept.join(QStringLiteral(" | ")));
}

// A screenshot under openbox: Chromium draws its own tab strip (no title bar
// from the window manager), an xterm has openbox's framed buttons. Where the
// light strip runs between the white corners of the tab list's button and of
// the toolbar, the engine read "| al" (which the planner then translated from
// Spanish): nothing there stands out from its ground as text does. The
// buttons were read as "目タ回国". No text comes back for either.
TEST(EdgeNoise, aBrowsersFaintTabStripCorners_AndATerminalsFramedButtons_GiveNoText)
{
    const QImage shot(QStringLiteral(KLIPO_SHOTS "/chromium-xterm-openbox.png"));
    ASSERT_FALSE(shot.isNull());
    const std::vector<TextLine> lines = recognizedLines(shot);
    QStringList read;
    for (const TextLine& line : lines) read << line.text;
    const QString all = read.join(QStringLiteral(" | "));
    ASSERT_TRUE(all.contains(QStringLiteral("Noticias de la ciudad"))) << qPrintable(all);
    ASSERT_TRUE(all.contains(QStringLiteral("git commit -m fix"))) << qPrintable(all);
    EXPECT_FALSE(all.contains(QRegularExpression(QStringLiteral("[\\x{3040}-\\x{30ff}\\x{4e00}-\\x{9fff}]{3}"))))
        << qPrintable(all);
    for (const TextLine& line : lines) {
        // Lines keep a bottom-left origin: the strip between the tab and the
        // toolbar runs 30 to 50 pixels from the top, left of the address bar.
        const double top = shot.height() - line.rect.y() - line.rect.height();
        EXPECT_FALSE(top >= 30 && top + line.rect.height() <= 50 && line.rect.x() < 100) << qPrintable(line.text);
    }
}

// The texts read, one per line, in reading order.
QStringList readTexts(const QImage& image)
{
    QStringList read;
    for (const TextLine& line : recognizedLines(image)) read << line.text;
    return read;
}

// Icons a space or so before names (a files list), the crosses of a
// browser's tabs and its reload sign before the address, and menu items a little
// more than a word's space apart: the icons give no text, nothing of them is
// read into the names, and each item is a line of its own (in whatever order).
TEST(EdgeNoise, iconsAndCrossesBesideNames_AreNotReadIntoThem_AndMenuItemsStandApart)
{
    QImage image(QSize(760, 230), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(14);
    p.setFont(font);
    const QFontMetricsF metrics(font);
    const QColor icon(120, 105, 125);
    const QStringList names = {QStringLiteral("slides.json"), QStringLiteral("todo.jpg"),
                               QStringLiteral("budget_2024.csv")};
    for (int i = 0; i < names.size(); ++i) {
        const qreal top = 20 + 30 * i;
        p.setPen(QPen(icon, 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(22, top + 1, 9, 13));  // a document with lines on it
        for (int k = 0; k < 3; ++k) p.drawLine(QPointF(24, top + 5 + 3 * k), QPointF(29, top + 5 + 3 * k));
        p.setPen(QColor(30, 30, 30));
        p.drawText(QPointF(46, top + metrics.ascent()), names[i]);
    }
    // Tabs: each title with a cross after it, a "+" after the last.
    const QStringList tabs = {QStringLiteral("Bridge over the harbour"), QStringLiteral("Festival tickets sold out")};
    qreal x = 300;
    for (const QString& tab : tabs) {
        p.setPen(QColor(30, 30, 30));
        p.drawText(QPointF(x, 20 + metrics.ascent()), tab);
        x += metrics.horizontalAdvance(tab) + 30;
        p.setPen(QPen(QColor(90, 90, 90), 1.5));
        p.drawLine(QPointF(x, 23), QPointF(x + 8, 31));
        p.drawLine(QPointF(x, 31), QPointF(x + 8, 23));
        x += 30;
    }
    p.drawLine(QPointF(x, 27), QPointF(x + 10, 27));
    p.drawLine(QPointF(x + 5, 22), QPointF(x + 5, 32));
    // A reload sign before an address.
    p.setPen(QPen(QColor(130, 130, 120), 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(362, 73, 14, 14), 30 * 16, 300 * 16);
    const QString address = QStringLiteral("https://www.dailynews.com/en/item?id=8812");
    p.setPen(QColor(30, 30, 30));
    p.drawText(QPointF(400, 73 + metrics.ascent()), address);
    // Menu items, each 1.1 times the line's height from the next.
    const QStringList menu = {QStringLiteral("Appearance"), QStringLiteral("Pictures"), QStringLiteral("Downloads")};
    x = 300;
    for (const QString& item : menu) {
        p.drawText(QPointF(x, 140 + metrics.ascent()), item);
        x += metrics.horizontalAdvance(item) + 1.1 * metrics.height();
    }
    p.end();
    QStringList read = readTexts(image);
    read.sort();
    QStringList drawn = names + tabs + menu;
    drawn << address;
    drawn.sort();
    EXPECT_EQ(read, drawn) << qPrintable(read.join(QStringLiteral(" | ")));
}

// A settings list: before each name a document's icon (a coloured frame with
// bars across it) stands a little more than a word's space apart, so that it
// is a line of its own, which the engine reads as "B". At normal and double
// density, on a light and on a dark list, the icons give no text.
TEST(EdgeNoise, documentIconsBeforeNames_GiveNoText)
{
    const QStringList names = {QStringLiteral("Keyboard"), QStringLiteral("Notifications"), QStringLiteral("Downloads"),
                               QStringLiteral("Privacy")};
    for (const int scale : {1, 2})
        for (const bool dark : {false, true}) {
            QImage image(QSize(300, 150) * scale, QImage::Format_RGB32);
            image.fill(dark ? QColor(40, 43, 48) : QColor(236, 240, 241));
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            p.scale(scale, scale);
            QFont font(QStringLiteral("DejaVu Sans"));
            font.setPixelSize(14);
            p.setFont(font);
            const QFontMetricsF metrics(font);
            for (int i = 0; i < names.size(); ++i) {
                const qreal top = 14 + 32 * i;
                p.setPen(QPen(dark ? QColor(230, 110, 100) : QColor(150, 70, 200), 1.6));
                p.setBrush(Qt::NoBrush);
                p.drawRect(QRectF(16.5, top + 0.5, 10, 14));
                for (int k = 1; k <= 3; ++k)
                    p.drawLine(QPointF(19.5, top + 0.5 + 3.5 * k), QPointF(24, top + 0.5 + 3.5 * k));
                p.setPen(dark ? QColor(225, 225, 225) : QColor(30, 30, 30));
                p.drawText(QPointF(44, top + 14 - metrics.descent() + 2), names[i]);
            }
            p.end();
            EXPECT_EQ(readTexts(image), names) << "scale " << scale << (dark ? " dark: " : " light: ")
                                               << qPrintable(readTexts(image).join(QStringLiteral(" | ")));
        }
}

// A menu with an unread count or a tag on a small filled shape at the end of
// each item: a green disc, a red and a blue pill, a yellow one with dark
// digits, on a light and on a dark menu, at normal and double density. The
// count's ink touches the shape's edge at normal density and stands alone,
// far smaller than the names, at double; either way each count and word on
// a shape reads, besides every name (in whatever order). A switch at the end
// of the last item, a pill of the same size with a white knob on it, gives
// no text.
TEST(Badges, countsAndTagsOnSmallFilledShapes_AreRead)
{
    const struct {
        QString name, badge;
        QColor ground, ink;
        bool disc;
    } items[] = {{QStringLiteral("Inbox"), QStringLiteral("3"), QColor(30, 140, 60), Qt::white, true},
                 {QStringLiteral("Updates"), QStringLiteral("12"), QColor(200, 30, 40), Qt::white, false},
                 {QStringLiteral("Archive"), QStringLiteral("NEW"), QColor(40, 90, 200), Qt::white, false},
                 {QStringLiteral("Drafts"), QStringLiteral("86"), QColor(241, 172, 14), QColor(30, 30, 30), false}};
    for (const int scale : {1, 2})
        for (const bool dark : {false, true}) {
            QImage image(QSize(320, 206) * scale, QImage::Format_RGB32);
            image.fill(dark ? QColor(40, 43, 48) : QColor(245, 246, 247));
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            p.scale(scale, scale);
            QFont font(QStringLiteral("DejaVu Sans"));
            font.setPixelSize(15);
            QFont small = font;
            small.setPixelSize(11);
            small.setBold(true);
            const QFontMetricsF m(small);
            QStringList expected;
            for (int i = 0; i < 4; ++i) {
                const qreal top = 16 + 36 * i;
                p.setFont(font);
                p.setPen(dark ? QColor(225, 225, 225) : QColor(30, 30, 30));
                p.drawText(QPointF(20, top + 14), items[i].name);
                const qreal h = m.height() * 1.25;
                const qreal w = items[i].disc ? h : m.horizontalAdvance(items[i].badge) + m.height() * 0.8;
                const QRectF badge(220, top + 1, w, h);
                p.setPen(Qt::NoPen);
                p.setBrush(items[i].ground);
                p.drawRoundedRect(badge, h / 2, h / 2);
                p.setFont(small);
                p.setPen(items[i].ink);
                p.drawText(badge, Qt::AlignCenter, items[i].badge);
                expected << items[i].name << items[i].badge;
            }
            p.setFont(font);
            p.setPen(dark ? QColor(225, 225, 225) : QColor(30, 30, 30));
            p.drawText(QPointF(20, 16 + 36 * 4 + 14), QStringLiteral("Sync"));
            expected << QStringLiteral("Sync");
            const QRectF toggle(220, 16 + 36 * 4, 36, 20);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(70, 60, 220));
            p.drawRoundedRect(toggle, 10, 10);
            p.setBrush(Qt::white);
            p.drawEllipse(QRectF(toggle.right() - 18, toggle.top() + 2, 16, 16));
            p.end();
            QStringList read = readTexts(image);
            const QString shown = read.join(QStringLiteral(" | "));
            read.sort();
            expected.sort();
            EXPECT_EQ(read, expected) << "scale " << scale << (dark ? " dark: " : " light: ") << qPrintable(shown);
        }
}

// A terminal's listing at double density in monospaced faces whose "1" has
// a flag and a foot: the engine reads some of them twice, a letter over the
// whole character and the digit in a sliver at its end ("l1"). Each link
// count reads as the one digit.
TEST(EdgeNoise, aTerminalsOnes_ReadAsOneDigit_NotALetterAndTheDigit)
{
    const QStringList rows = {QStringLiteral("-rw-r--r-- 1 anna staff 52397 2020-11-08 backup.jpg"),
                              QStringLiteral("-rwxr-xr-x 1 anna staff 91691 2022-08-21 report.sh"),
                              QStringLiteral("-rw-r--r-- 1 anna staff 42364 2023-07-13 data.sh"),
                              QStringLiteral("drwxr-xr-x 1 anna staff 31071 2021-05-10 notes")};
    for (const QString& family : {QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Liberation Mono")})
        for (const int pixels : {26, 30}) {
            QImage image(QSize(1100, 60 + 44 * int(rows.size())), QImage::Format_RGB32);
            image.fill(QColor(30, 32, 36));
            QPainter p(&image);
            p.setRenderHint(QPainter::TextAntialiasing);
            QFont font(family);
            font.setPixelSize(pixels);
            p.setFont(font);
            p.setPen(QColor(220, 220, 220));
            for (int i = 0; i < rows.size(); ++i) p.drawText(QPointF(20, 50 + 44 * i), rows[i]);
            p.end();
            const QStringList read = readTexts(image);
            for (const QString& line : read)
                EXPECT_FALSE(line.contains(QStringLiteral("l1")) || line.contains(QStringLiteral("I1")))
                    << qPrintable(family) << ' ' << pixels << ": " << qPrintable(line);
        }
}

// A code editor: grey line numbers a character before black code in a
// monospaced face. Each number is a line of its own, the code after it whole
// (a few lines of code are still told monospaced: the words of a row stay together).
TEST(EdgeNoise, anEditorsLineNumbers_AreReadApartFromTheCode)
{
    QImage image(QSize(520, 130), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setPixelSize(14);
    p.setFont(font);
    const QFontMetricsF metrics(font);
    const QStringList code = {QStringLiteral("def read_config(path):"), QStringLiteral("    with open(path) as f:"),
                              QStringLiteral("        return json.load(f)"), QStringLiteral("values = [1, 2, 3]")};
    QStringList drawn;
    for (int i = 0; i < code.size(); ++i) {
        const qreal y = 16 + 24 * i + metrics.ascent();
        p.setPen(QColor(150, 150, 150));
        p.drawText(QPointF(12, y), QString::number(10 + i));
        p.setPen(QColor(20, 20, 20));
        p.drawText(QPointF(12 + 3 * metrics.horizontalAdvance(QLatin1Char('0')), y), code[i]);
        drawn << QString::number(10 + i) << test::squeezed(code[i]);
    }
    p.end();
    QStringList read = readTexts(image);
    for (QString& text : read) text = test::squeezed(text);  // the engine puts a space before a colon at times
    EXPECT_EQ(read, drawn) << qPrintable(read.join(QStringLiteral(" | ")));
}

// An xterm with its default colours (black on white; the prompt's user and
// host bright green, commit hashes yellow, a warning bright yellow), as a
// screenshot: the coloured text is read as well as the black.
TEST(FaintText, aTerminalsBrightGreenAndYellowOnWhite_IsRead)
{
    const QImage shot(QStringLiteral(KLIPO_REAL_PAGES) + QStringLiteral("/xterm-en.png"));
    ASSERT_FALSE(shot.isNull());
    const QString text = test::allText(recognize(shot).blocks);
    EXPECT_EQ(text.count(QStringLiteral("anna@laptop")), 6) << qPrintable(text);
    for (const char* coloured :
         {"3f9a2c1", "8b71d0e", "c42e9f7", "19ad3b2", "holiday calendar", "Backup finished at 18:42"})
        EXPECT_TRUE(text.contains(QString::fromLatin1(coloured))) << coloured << " in " << qPrintable(text);
}

// Terminals' cursors: a hollow box right under the last row of output (the
// row's descenders touch it) and a filled one after a prompt. Each row reads
// as it is, first word included, and a cursor reads as nothing.
TEST(FaintText, aTerminalsCursor_ReadsAsNothing_AndLeavesTheRowsBesideItWhole)
{
    const QImage under(QStringLiteral(KLIPO_REAL_PAGES) + QStringLiteral("/xterm-cursor.png"));
    ASSERT_FALSE(under.isNull());
    const QString text = test::allText(recognize(under).blocks);
    EXPECT_TRUE(text.endsWith(QStringLiteral("Dec 7 12:49 awk\nHola mundo, esta es una prueba del programa de traduccion")))
        << qPrintable(text);

    const QImage afterPrompt(QStringLiteral(KLIPO_REAL_PAGES) + QStringLiteral("/xterm-en.png"));
    ASSERT_FALSE(afterPrompt.isNull());
    EXPECT_TRUE(test::allText(recognize(afterPrompt).blocks).endsWith(QStringLiteral("\nanna@laptop:~/project$")));
}

// A real desktop under xfwm4: a terminal and a Tk window on a black ground.
// The Tk labels' small letters with a closed bowl on light grey ("a") are
// letters, not filled shapes to be taken out of the line.
TEST(FaintText, aTkWindowsLabelsOnGrey_ReadWithEveryLetter)
{
    const QImage window(QStringLiteral(KLIPO_REAL_PAGES) + QStringLiteral("/tk-es-desktop.png"));
    ASSERT_FALSE(window.isNull());
    const QString text = test::allText(recognize(window).blocks);
    for (const char* line : {"cio de las verduras bajó un poco después de una buena cos",
                             "Nuestro equipo revisará el informe el viernes.", "Gracias por la respuesta rápida."})
        EXPECT_TRUE(text.contains(QString::fromUtf8(line))) << line << " in " << qPrintable(text);
}

TEST(Apertium, translatesSpanishIntoEnglish_ThroughOneKeptOpenPipeline_KeepingStreamCharactersAsText)
{
    const Cld2LanguageDetector detector;
    ApertiumTranslator translator(&detector);
    const auto batch = requests({"El gato duerme en el sofá.", "Buenos días", "", "La casa es grande.",
                                 "Precio: [10] $ ^x^ @b {c} <d> \\z/ gato"});
    const TranslationOutcome first = translator.translate(batch, kSpanish, QStringLiteral("en"));
    ASSERT_TRUE(first.ok()) << qPrintable(first.message);
    std::vector<QString> got = texts(first);
    ASSERT_EQ(got.size(), 5u);
    EXPECT_EQ(first.responses[3].clientIdentifier, QStringLiteral("3"));
    // Apertium's stream characters come through as plain text.
    for (const char* piece : {"[10]", "$", "^x^", "@b", "{c}", "<d>", "\\z/", "cat"})
        EXPECT_TRUE(got.back().contains(QString::fromUtf8(piece))) << piece << " in " << qPrintable(got.back());
    got.pop_back();
    EXPECT_EQ(got, (std::vector<QString>{QStringLiteral("The cat sleeps in the sofa."), QStringLiteral("Good morning"),
                                         QString(), QStringLiteral("The house is big.")}));

    const pid_t pid = translator.pipelineFor(QStringLiteral("es"), QStringLiteral("en"))->processId();
    ASSERT_GT(pid, 0);
    const TranslationOutcome second = translator.translate(requests({"Gracias"}), kSpanish, QStringLiteral("en-US"));
    EXPECT_EQ(texts(second), std::vector<QString>{QStringLiteral("Thank you")});
    EXPECT_EQ(translator.pipelineFor(QStringLiteral("es"), QStringLiteral("en"))->processId(), pid);

    // With the source left open it is recognised from the text.
    const TranslationOutcome detected =
        translator.translate(requests({"Mañana por la mañana vamos a visitar a mis abuelos en el pueblo."}),
                             std::nullopt, QStringLiteral("en"));
    ASSERT_TRUE(detected.ok()) << qPrintable(detected.message);
    EXPECT_TRUE(detected.responses[0].targetText.contains(QStringLiteral("grandparents")));
}

TEST(Apertium, killingAnyOneStage_BetweenTranslations_LeavesTheNextOneWorking)
{
    // A short stall limit: a pipeline that noticed no death would fail the
    // next batch instead of answering it.
    ApertiumTranslator translator(nullptr, {QStringLiteral("/usr/share/apertium/modes"), 3000ms});
    ASSERT_TRUE(translator.translate(requests({"Hola"}), kSpanish, QStringLiteral("en")).ok());
    ApertiumPipeline* pipeline = translator.pipelineFor(QStringLiteral("es"), QStringLiteral("en"));
    const size_t stages = pipeline->stageProcessIds().size();
    ASSERT_GT(stages, 5u);
    for (size_t k = 0; k < stages; ++k) {
        ::kill(pipeline->stageProcessIds().at(k), SIGKILL);
        std::this_thread::sleep_for(20ms);
        const TranslationOutcome out =
            translator.translate(requests({"Adiós", "Gracias"}), kSpanish, QStringLiteral("en"));
        EXPECT_EQ(texts(out), (std::vector<QString>{QStringLiteral("Goodbye"), QStringLiteral("Thank you")}))
            << "stage " << k << ": " << qPrintable(out.message);
    }
    // The whole pipeline killed at once, too.
    ::kill(-pipeline->processId(), SIGKILL);
    EXPECT_TRUE(translator.translate(requests({"Hola"}), kSpanish, QStringLiteral("en")).ok());
}

// Warming up before a capture starts the pipeline the translation will use:
// the direction into the target used last, or before any, the only one into
// it. With two directions into the target and none used yet, nothing starts.
TEST(Apertium, warmingUp_StartsTheDirectionUsedLastOrTheOnlyOne_IntoTheTarget)
{
    const QString spanish = QStringLiteral("es");
    const QString english = QStringLiteral("en");
    auto startsAnew = [](ApertiumPipeline* pipeline, pid_t before) {
        for (int i = 0; i < 100 && (pipeline->processId() <= 0 || pipeline->processId() == before); ++i)
            std::this_thread::sleep_for(20ms);
        return pipeline->processId() > 0 && pipeline->processId() != before;
    };
    ApertiumTranslator alone(nullptr);
    alone.warmUp(QStringLiteral("en-US"));
    EXPECT_TRUE(startsAnew(alone.pipelineFor(spanish, english), -1));

    const QString modes = klipo::test::freshDir(QStringLiteral("two-into-english"));
    QFile::copy(QStringLiteral("/usr/share/apertium/modes/spa-eng.mode"), modes + QStringLiteral("/spa-eng.mode"));
    QFile::copy(QStringLiteral("/usr/share/apertium/modes/spa-eng.mode"), modes + QStringLiteral("/cat-eng.mode"));
    ApertiumTranslator two(nullptr, {modes});
    ApertiumPipeline* pipeline = two.pipelineFor(spanish, english);
    two.warmUp(english);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(pipeline->processId(), -1);
    EXPECT_EQ(two.pipelineFor(QStringLiteral("ca"), english)->processId(), -1);

    // Used once, then its stages die between two captures: the next capture
    // starts them again before anything is translated.
    ASSERT_TRUE(two.translate(requests({"Hola"}), kSpanish, english).ok());
    const pid_t killed = pipeline->processId();
    ::kill(-killed, SIGKILL);
    std::this_thread::sleep_for(100ms);
    two.warmUp(english);
    EXPECT_TRUE(startsAnew(pipeline, killed));
}

TEST(Apertium, misbehavingStuckOrCancelledTranslator_EndsTheBatchSoon_InsteadOfHangingOrMisplacingAnswers)
{
    const struct {
        const char* command;
        std::chrono::milliseconds stall, total;
        const char* message;  // none: cancelled after 100 ms
    } cases[] = {
        {"yes hola", 10000ms, 60000ms, "输出异常"},  // endless output without an end marker: the output cap
        {"while :; do printf x; sleep 0.05; done", 10000ms, 1500ms, "用时过长"},  // dripping output: total time
        {"sed -u -z 's/^/X\\x00/'", 10000ms, 60000ms, "段数"},  // an extra end marker: answers would shift by one
        {"cat > /dev/null", 300ms, 60000ms, "没有响应"},
        {"echo broken >&2; exit 3", 2000ms, 60000ms, "意外退出"},
        {"cat > /dev/null", 10000ms, 60000ms, nullptr},
    };
    for (const auto& c : cases) {
        ApertiumTranslator translator(nullptr, {modesWith(QString::fromUtf8(c.command)), c.stall, c.total});
        CancelToken cancel;
        std::thread canceller([&] {
            std::this_thread::sleep_for(100ms);
            if (!c.message) cancel.cancel();
        });
        QElapsedTimer timer;
        timer.start();
        const TranslationOutcome out =
            translator.translate(requests({"Hola", "Adiós"}), kSpanish, QStringLiteral("en"), cancel);
        canceller.join();
        EXPECT_EQ(out.kind, c.message ? TranslationOutcome::Kind::Failed : TranslationOutcome::Kind::Cancelled);
        EXPECT_TRUE(out.message.contains(QString::fromUtf8(c.message ? c.message : ""))) << qPrintable(out.message);
        EXPECT_LT(timer.elapsed(), 5000) << c.command;
    }
}

TEST(Apertium, reportsPackAvailability_AndTellsWhatToInstall)
{
    ApertiumTranslator translator(nullptr);
    EXPECT_EQ(translator.status(QStringLiteral("es"), QStringLiteral("en-US")), LanguagePairStatus::Installed);
    EXPECT_EQ(translator.status(QStringLiteral("en"), QStringLiteral("ca")), LanguagePairStatus::Supported);
    EXPECT_EQ(translator.status(QStringLiteral("es"), QStringLiteral("zh-Hans")), LanguagePairStatus::Unsupported);
    EXPECT_TRUE(translator.prepare(kSpanish, QStringLiteral("en")).ok());

    const TranslationOutcome missing = translator.prepare(QStringLiteral("en"), QStringLiteral("ca"));
    EXPECT_EQ(missing.message, QStringLiteral("本机还没有从英语翻译成加泰罗尼亚语的语言包，请安装 apertium-eng-cat："
                                              "sudo apt-get install apertium-eng-cat"));
    const TranslationOutcome none = translator.translate(requests({"Hola"}), kSpanish, QStringLiteral("zh-Hans"));
    EXPECT_FALSE(none.ok());
    EXPECT_TRUE(none.message.contains(QStringLiteral("西班牙语"))) << qPrintable(none.message);
}

TEST(LanguageDetector, recognisesSentences_DecidesCjkByScript_AndAnswersNothingWhenItCannotTell)
{
    const Cld2LanguageDetector detector;
    const auto french = detector.detect(QStringLiteral("Je voudrais réserver une table pour deux personnes ce soir."));
    EXPECT_EQ(french.dominant, QStringLiteral("fr"));
    EXPECT_TRUE(!french.hypotheses.empty() && french.hypotheses.front().probability >= 0.5);
    const std::pair<const char*, const char*> cases[] = {
        {"El tren llega a la estación con veinte minutos de retraso.", "es"},
        {"今日はとても良い天気です", "ja"},
        {"오늘은 날씨가 좋습니다", "ko"},
        {"文字识别在后台线程中运行", "zh-Hans"},
        {"這是繁體中文的句子，用來測試語言識別。", "zh-Hant"},
        {"OK", ""},
        {"12:30 — 45%", ""},
        {"", ""}};
    for (const auto& [text, language] : cases)
        EXPECT_EQ(detector.detect(QString::fromUtf8(text)).dominant, QString::fromUtf8(language)) << text;
}
