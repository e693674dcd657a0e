// A program that recognises a blank picture and a line of text, then ends:
// with --shut-down it frees the engines itself, as the application does at
// quit; without, the engines' exit handler must. Either way it must end
// cleanly, not crash while its statics are torn down.
#include "TextPictures.h"
#include "platform/text/TextServices.h"
#include "recognition/OCRService.h"

#include <QGuiApplication>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    klipo::platform::warmUpTextServices();
    QImage blank(800, 600, QImage::Format_RGB32);
    blank.fill(QColor(240, 240, 240));
    const QImage line = klipo::test::drawPicture(QSize(400, 60), {{QStringLiteral("Nothing else"), {10, 20}, 20}});
    const klipo::OcrOutcome none = klipo::OCRService::recognizeBlocks(blank, false).result();
    const klipo::OcrOutcome some = klipo::OCRService::recognizeBlocks(line, false).result();
    const klipo::OcrOutcome again = klipo::OCRService::recognizeBlocks(blank, false).result();
    if (app.arguments().contains(QStringLiteral("--shut-down"))) klipo::platform::shutDownTextServices();
    return none.ok && none.blocks.empty() && some.ok && !some.blocks.empty() && again.ok ? 0 : 3;
}
