// A program that recognises a blank picture and a line of text, then ends:
// with --shut-down it frees the engines itself, as the application does at
// quit; without, the engines' exit handler must. Either way it must end
// cleanly, not crash while its statics are torn down.
#include "platform/text/TextServices.h"
#include "recognition/OCRService.h"

#include <QFont>
#include <QGuiApplication>
#include <QPainter>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    klipo::platform::warmUpTextServices();
    QImage blank(800, 600, QImage::Format_RGB32);
    blank.fill(QColor(240, 240, 240));
    const klipo::OcrOutcome none = klipo::OCRService::recognizeBlocks(blank, false).result();
    QImage line(400, 60, QImage::Format_RGB32);
    line.fill(Qt::white);
    {
        QPainter painter(&line);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(20);
        painter.setFont(font);
        painter.drawText(QPointF(10, 38), QStringLiteral("Nothing else"));
    }
    const klipo::OcrOutcome some = klipo::OCRService::recognizeBlocks(line, false).result();
    const klipo::OcrOutcome again = klipo::OCRService::recognizeBlocks(blank, false).result();
    if (app.arguments().contains(QStringLiteral("--shut-down"))) klipo::platform::shutDownTextServices();
    return none.ok && none.blocks.empty() && some.ok && !some.blocks.empty() && again.ok ? 0 : 3;
}
