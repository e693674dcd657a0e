// Recognition and translation speed on this machine: a 1920x1080 screen full
// of English text, the same full of Chinese text (and English on a dark
// theme), each read through OCRService with the real engines, with the
// character accuracy of the result; then a batch of 20 Spanish paragraphs
// translated into English through the kept-open Apertium pipeline.
#include "platform/text/TesseractRecognizer.h"
#include "platform/text/TextServices.h"
#include "platform/text/Translator.h"
#include "recognition/OCRService.h"
#include "EditDistance.h"

#include "support/BenchSupport.h"

#include <QElapsedTimer>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <cstdio>
#include <ctime>

using namespace klipo;

namespace {

const char* const kEnglish[] = {
    "The quick brown fox jumps over the lazy dog while the farmer watches from the old wooden porch.",
    "Screen capture tools are used every day by millions of people who need to share what they see on their displays.",
    "When the user presses the shortcut, every screen freezes and a rectangle can be drawn around the text to translate.",
    "Recognition runs on a background thread so that the interface never stops responding to mouse and keyboard input.",
    "Each paragraph is sent to the translation engine in one batch, and the results are drawn over the original picture.",
    "The history window keeps every translation together with its images, and the search field finds them by their text.",
    "Small commits with honest messages describe each change in the terms of the program rather than in terms of files.",
    "If the language pack is missing, the program tells the user which package to install and the command that does it.",
    "A dark theme is inverted before recognition, because the engine was trained mostly on dark text over light paper.",
    "Numbers such as 1920 by 1080 pixels, version 5.3.0 and the year 2024 should come through without any mistakes.",
    "Please remember to save your work before closing the window, otherwise the changes made since the last save are lost.",
    "The meeting has been moved to Thursday afternoon at three o'clock in the large conference room on the second floor.",
};

const char* const kChinese[] = {
    "当用户按下快捷键时，所有屏幕都会冻结，用户可以拖出一个矩形来选择需要翻译的文字。",
    "文字识别在后台线程中运行，因此界面始终能够响应鼠标和键盘的操作，不会出现卡顿。",
    "每个段落都会被一次性发送给翻译引擎，翻译结果随后被绘制在原来的图片上面。",
    "历史窗口保存每一次翻译以及对应的图片，用户可以通过搜索框按照文字内容查找记录。",
    "如果缺少语言包，程序会告诉用户需要安装哪个软件包，以及完成安装所需要的命令。",
    "深色主题在识别之前会先进行反色处理，因为识别引擎主要是用浅色背景上的深色文字训练的。",
    "请记得在关闭窗口之前保存您的工作，否则自上次保存以来所做的修改将会全部丢失。",
    "会议已经改到星期四下午三点，地点在二楼的大会议室，请各位同事准时参加。",
    "这个工具可以截取屏幕上的任意区域，识别其中的文字，并在本机上完成翻译。",
    "截图可以保存到指定的文件夹，也可以复制到剪贴板，或者钉在桌面上方便对照查看。",
};

const char* const kSpanish[] = {
    "El gato duerme en el sofá mientras llueve en la ciudad.",
    "Mañana por la mañana vamos a visitar a mis abuelos en el pueblo.",
    "La reunión empieza a las diez y termina antes del almuerzo.",
    "Este programa traduce el texto de la pantalla sin conexión a internet.",
    "Los niños juegan en el parque después de la escuela.",
    "Necesito comprar pan, leche y fruta en el mercado.",
    "El tren llega a la estación con veinte minutos de retraso.",
    "Mi hermana trabaja en un hospital en el centro de Madrid.",
    "Por favor, guarda el documento antes de cerrar la ventana.",
    "La biblioteca está abierta todos los días excepto los domingos.",
    "Hace mucho calor en verano y mucho frío en invierno.",
    "El restaurante sirve comida tradicional de la región.",
    "Quiero aprender a tocar la guitarra este año.",
    "La película que vimos anoche fue muy interesante.",
    "Los resultados de la prueba se publican la próxima semana.",
    "Puedes encontrar más información en la página de ayuda.",
    "El perro de mi vecino ladra cada vez que pasa un coche.",
    "Las flores del jardín necesitan agua todos los días.",
    "El museo tiene una colección importante de pintura moderna.",
    "Vamos a la playa si el tiempo es bueno el fin de semana.",
};

struct Screen {
    QImage image;
    QString truth;  // the paragraphs, one per line
};

Screen renderScreen(bool chinese, bool dark)
{
    Screen screen;
    screen.image = QImage(1920, 1080, QImage::Format_RGB32);
    screen.image.fill(dark ? QColor(30, 30, 30) : QColor(Qt::white));
    QPainter painter(&screen.image);
    QFont font(chinese ? QStringLiteral("WenQuanYi Micro Hei") : QStringLiteral("DejaVu Sans"));
    font.setPixelSize(16);
    painter.setPen(dark ? QColor(220, 220, 220) : QColor(Qt::black));
    const QFontMetricsF metrics(font);
    const qreal spacing = metrics.lineSpacing();
    const int count = chinese ? 10 : 12;
    qreal y = 20;
    for (int i = 0;;) {
        QString paragraph;
        for (int k = 0; k < 3; ++k, ++i) {
            if (!chinese && k > 0) paragraph += QLatin1Char(' ');
            paragraph += QString::fromUtf8(chinese ? kChinese[i % count] : kEnglish[i % count]);
        }
        QTextLayout layout(paragraph, font);
        layout.beginLayout();
        std::vector<QTextLine> lines;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(1860);
            lines.push_back(line);
        }
        layout.endLayout();
        if (y + qreal(lines.size()) * spacing > 1060) break;
        for (QTextLine& line : lines) {
            line.setPosition(QPointF(30, y));
            y += spacing;
        }
        layout.draw(&painter, QPointF(0, 0));
        screen.truth += paragraph + QLatin1Char('\n');
        y += spacing / 2 + 4;
    }
    return screen;
}

std::u32string normalised(QString text, bool chinese)
{
    text = text.simplified();
    if (chinese) text.remove(QLatin1Char(' '));
    const QList<uint> ucs = text.toUcs4();
    return std::u32string(ucs.begin(), ucs.end());
}

// CPU time of the whole process, so that figures taken on a busy machine can
// be told apart from slow code.
double processCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// The same screen on a pool of one engine: what a single Tesseract engine
// takes, for comparison.
double singleEngineMs(const QImage& image)
{
    static platform::TesseractRecognizer single(platform::TesseractRecognizer::Options{1, {}, std::chrono::milliseconds(60000)});
    single.recognize(QImage(64, 64, QImage::Format_RGB32), {}, [](platform::RecognitionOutcome) {});
    QElapsedTimer timer;
    timer.start();
    single.recognize(image, {}, [](platform::RecognitionOutcome) {});
    return double(timer.nsecsElapsed()) / 1e6;
}

void benchRecognition(const char* name, bool chinese, bool dark, int runs)
{
    const Screen screen = renderScreen(chinese, dark);
    if (qEnvironmentVariableIsSet("KLIPO_BENCH_SINGLE"))
        std::printf("%-24s one engine alone: %6.0f ms\n", name, singleEngineMs(screen.image));
    OcrOutcome outcome;
    std::vector<double> times;
    std::vector<double> cpu;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        const double cpuBefore = processCpuMs();
        outcome = OCRService::recognizeBlocks(screen.image, false).result();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        cpu.push_back(processCpuMs() - cpuBefore);
    }
    if (!outcome.ok) {
        std::printf("%-24s failed: %s\n", name, qPrintable(outcome.error));
        return;
    }
    QString text;
    for (const TextBlock& block : outcome.blocks) text += block.text + QLatin1Char('\n');
    const std::u32string truth = normalised(screen.truth, chinese);
    const int errors = test::editDistance(normalised(text, chinese), truth);
    std::printf(
        "%-24s median %6.0f ms  best %6.0f ms  cpu %6.0f ms  accuracy %7.3f %%  (%zu chars, %d errors, %zu blocks)\n",
        name, bench::median(times), *std::min_element(times.begin(), times.end()), bench::median(cpu),
        100.0 * (1.0 - double(errors) / double(truth.size())), truth.size(), errors, outcome.blocks.size());
}

void benchTranslation(int runs)
{
    platform::Translator& translator = *platform::textServices().translator;
    std::vector<platform::TranslationRequest> requests;
    for (int i = 0; i < 20; ++i) requests.push_back({QString::fromUtf8(kSpanish[i]), QString::number(i)});
    const auto source = std::optional<QString>(QStringLiteral("es"));
    translator.translate(requests, source, QStringLiteral("en"));  // starts the pipeline
    std::vector<double> times;
    platform::TranslationOutcome outcome;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        outcome = translator.translate(requests, source, QStringLiteral("en"));
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    if (!outcome.ok()) {
        std::printf("translation es->en       failed: %s\n", qPrintable(outcome.message));
        return;
    }
    std::printf("translation es->en       20 paragraphs: median %6.1f ms  best %6.1f ms  (\"%s\")\n",
                bench::median(times), *std::min_element(times.begin(), times.end()),
                qPrintable(outcome.responses.front().targetText));
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

    // The first call pays for loading the engines; it is not counted.
    QElapsedTimer warm;
    warm.start();
    OCRService::recognizeBlocks(renderScreen(false, false).image.copy(0, 0, 600, 200), false).waitForFinished();
    std::printf("engines loaded and first small read: %lld ms\n", warm.elapsed());

    benchRecognition("English 1920x1080", false, false, runs);
    benchRecognition("Chinese 1920x1080", true, false, runs);
    benchRecognition("English dark 1920x1080", false, true, runs);
    benchTranslation(runs);
    return 0;
}
