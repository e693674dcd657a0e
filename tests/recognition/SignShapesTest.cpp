// Small signs told by their ink, words parted at signs that stand apart, and a window's buttons read as no text.
#include "platform/text/LineReading.h"
#include "platform/text/SignShapes.h"
#include "platform/text/TesseractEngine.h"

#include <gtest/gtest.h>

#include <QPainter>

using namespace klipo;

namespace {

// A line picture 40 px high whose letters stand on row 30 and reach up to row
// 10, with one shape of ink drawn in it.
QImage lineWith(const QRect& ink, int specks = 1)
{
    QImage picture(60, 40, QImage::Format_Grayscale8);
    picture.fill(255);
    QPainter painter(&picture);
    for (int k = 0; k < specks; ++k) painter.fillRect(ink.translated(0, k * (ink.height() + 4)), QColor(20, 20, 20));
    return picture;
}

}  // namespace

TEST(SignShapes, aRoundSpeckHalfwayUpIsAMiddleDot_DashesStopsColonsAndApostrophesStayAsRead)
{
    const auto read = [](const QRect& ink, QChar as, int specks = 1) {
        const QImage picture = lineWith(ink, specks);
        const QRect box = ink.united(ink.translated(0, (specks - 1) * (ink.height() + 4)));
        return platform::signFromInk(picture, box, 10, 30, as);
    };
    const QChar dot(0x00B7);
    for (QChar as : {QChar('-'), QChar(':'), QChar('.'), QChar('\'')})
        EXPECT_EQ(read(QRect(20, 21, 4, 4), as), dot) << qPrintable(QString(as));
    EXPECT_EQ(read(QRect(18, 22, 9, 3), '-'), QChar('-'));     // a hyphen
    EXPECT_EQ(read(QRect(20, 27, 4, 3), '.'), QChar('.'));     // a full stop on the line
    EXPECT_EQ(read(QRect(20, 11, 3, 5), '\''), QChar('\''));   // an apostrophe at the top
    EXPECT_EQ(read(QRect(20, 15, 4, 4), ':', 2), QChar(':'));  // two specks
    EXPECT_EQ(read(QRect(20, 21, 4, 4), 'o'), QChar('o'));     // letters are left alone
    // A Chinese face's short thick dash: as square, but thin against a tall line.
    EXPECT_EQ(platform::signFromInk(lineWith(QRect(20, 21, 3, 3)), QRect(20, 21, 3, 3), 4, 30, '-'), QChar('-'));

    // The letters stand where the small letters' band ends, not under the tails of "p" and "g".
    QImage picture(60, 40, QImage::Format_Grayscale8);
    picture.fill(255);
    {
        QPainter painter(&picture);
        painter.fillRect(QRect(5, 18, 50, 12), Qt::black);  // the small letters
        painter.fillRect(QRect(10, 30, 3, 6), Qt::black);   // two tails
        painter.fillRect(QRect(40, 30, 3, 6), Qt::black);
    }
    EXPECT_EQ(platform::inkBaseline(picture, QRect(0, 10, 60, 28)), 30);
    EXPECT_EQ(platform::inkBaseline(lineWith(QRect()), QRect(0, 0, 60, 40)), -1);
}

// Chinese characters stand lower above the line than Latin capitals: beside
// them a middle dot is larger against the line, and what the Chinese models
// read it as ("“", "・", "，", "\"") is a dot there, though not on a Latin
// line. A full-width comma's tail and a full stop's ring on the line stay.
TEST(SignShapes, aLargerDotOnAChineseLine_IsAMiddleDotThere_NotOnALatinLine)
{
    const auto read = [](const QRect& ink, QChar as, bool han) {
        return platform::signFromInk(lineWith(ink), ink, 10, 30, as, han);
    };
    const QRect dot(20, 21, 7, 7);
    for (QChar as : {QChar(0x201C), QChar(0x30FB), QChar(0xFF0C), QChar('"'), QChar('+')})
        EXPECT_EQ(read(dot, as, true), QChar(0x00B7)) << qPrintable(QString(as));
    EXPECT_EQ(read(dot, '"', false), QChar('"'));
    EXPECT_EQ(read(QRect(20, 23, 4, 9), QChar(0xFF0C), true), QChar(0xFF0C));  // a comma, taller than wide
    EXPECT_EQ(read(QRect(20, 24, 7, 6), QChar(0x3002), true), QChar(0x3002));  // a full stop on the line
    EXPECT_EQ(read(QRect(20, 19, 9, 9), '+', true), QChar('+'));               // larger than a dot
}

TEST(SignShapes, aWindowsButtonsReadTogether_AreNoText_ALoneDashOrLetterOIs)
{
    for (const char* buttons : {"- O X", "-O xX", "— □ ×", "- 口 x"})
        EXPECT_TRUE(platform::isIconLookalike(QString::fromUtf8(buttons))) << buttons;
    for (const char* text : {"-", "O", "O2", "-10", "X-Men", "OK"})
        EXPECT_FALSE(platform::isIconLookalike(QString::fromUtf8(text))) << text;
}

// A word the engine read with a sign inside it, each symbol 6 px wide and 1 px
// from the next, but a sign `wide` px from its neighbours.
TEST(SignShapes, aSlashOrDotReadInsideAWord_PartsItWhereItStandsASpaceFromTheLetters)
{
    const auto wordOf = [](const QString& text, int left, int wide) {
        platform::EngineWord word{text, QRect(), 90, {}};
        int x = left;
        for (int i = 0; i < text.size(); ++i) {
            const bool sign = !text[i].isLetterOrNumber();
            if (sign && i > 0) x += wide - 1;
            word.symbols.push_back({i, i + 1, QRect(x, 10, 6, 20)});
            word.box |= word.symbols.back().box;
            x += 7 + (sign ? wide - 1 : 0);
        }
        return word;
    };
    const auto line = [](std::vector<platform::EngineWord> words) {
        return platform::lineOfWords(std::move(words), QRect(0, 10, 600, 21), 90).text;
    };
    // The line's words stand 8 px apart.
    EXPECT_EQ(line({wordOf(QStringLiteral("Inicio"), 0, 1), wordOf(QStringLiteral("Compartir/Archivo"), 50, 8)}),
              QStringLiteral("Inicio Compartir / Archivo"));
    EXPECT_EQ(line({wordOf(QStringLiteral("Elena"), 0, 1), wordOf(QString::fromUtf8("Romero·"), 43, 8),
                    wordOf(QStringLiteral("10"), 110, 1)}),
              QString::fromUtf8("Elena Romero · 10"));
    // Signs set close, as words write them, stay in the word.
    EXPECT_EQ(line({wordOf(QStringLiteral("Inicio"), 0, 1), wordOf(QStringLiteral("https://www.example.com"), 50, 1)}),
              QStringLiteral("Inicio https://www.example.com"));
    EXPECT_EQ(line({wordOf(QStringLiteral("Inicio"), 0, 1), wordOf(QStringLiteral("2020-11-21"), 50, 8)}),
              QStringLiteral("Inicio 2020-11-21"));
}

// Words the engine read apart around a stop, colon or at sign that stands
// far closer to them than the line's words stand to each other (a narrow
// sign in the middle of a monospaced cell): the sign is glued to them. A
// space as wide as the line's others stays, and so does the space after a
// colon, however narrow.
TEST(SignShapes, aStopColonOrAtSignReadASpaceFromALetter_IsGluedWhereItStandsCloserThanTheWords)
{
    // Each word's letters 10 px wide; `at`: where each word starts.
    const auto line = [](const QStringList& texts, const std::vector<int>& at) {
        std::vector<platform::EngineWord> words;
        for (int k = 0; k < texts.size(); ++k)
            words.push_back({texts[k], QRect(at[size_t(k)], 10, 10 * int(texts[k].size()) - 2, 20), 90, {}});
        return platform::lineOfWords(std::move(words), QRect(0, 10, 800, 21), 90).text;
    };
    // Words 14 px apart; the sign 4 px from the letters beside it.
    EXPECT_EQ(
        line({QStringLiteral("root@server"), QStringLiteral(":~/src$"), QStringLiteral("ls"), QStringLiteral("-la")},
             {0, 112, 196, 230}),
        QStringLiteral("root@server:~/src$ ls -la"));
    EXPECT_EQ(line({QStringLiteral("modified:"), QStringLiteral("src/README."), QStringLiteral("docx"),
                    QStringLiteral("now")},
                   {0, 102, 214, 268}),
              QStringLiteral("modified: src/README.docx now"));
    EXPECT_EQ(line({QStringLiteral("Emma"), QStringLiteral("Wilson"), QStringLiteral("<mail27"),
                    QStringLiteral("@example.com>")},
                   {0, 52, 124, 196}),
              QStringLiteral("Emma Wilson <mail27@example.com>"));
    // A sentence's stop before a capital, however close (a serif face's narrow space).
    EXPECT_EQ(line({QStringLiteral("good"), QStringLiteral("harvest."), QStringLiteral("A"), QStringLiteral("new")},
                   {0, 52, 134, 158}),
              QStringLiteral("good harvest. A new"));
    // As far apart as the words: a sentence's stop, a colon's space.
    EXPECT_EQ(line({QStringLiteral("It"), QStringLiteral("ends."), QStringLiteral("Then"), QStringLiteral("on")},
                   {0, 32, 96, 150}),
              QStringLiteral("It ends. Then on"));
    EXPECT_EQ(line({QStringLiteral("Col"), QStringLiteral("9"), QStringLiteral("Spaces:"), QStringLiteral("4")},
                   {0, 42, 100, 172}),
              QStringLiteral("Col 9 Spaces: 4"));
}

// A colon after a Chinese character: a full-width one fills a whole em with
// the blank around it, an ASCII one with its space two thirds of one, and
// without it less than half. The engine's box for the sign is only roughly
// where its ink is.
TEST(SignShapes, aSignAfterHanIsToldFullWidthOrAsciiByTheRoomItTakes)
{
    // Two characters 20 px high, a colon's two dots `room` px from the first
    // one's right, and a third character after them.
    const auto line = [](int room, int dotAt) {
        QImage picture(120, 40, QImage::Format_Grayscale8);
        picture.fill(255);
        QPainter painter(&picture);
        painter.fillRect(QRect(2, 10, 19, 20), QColor(30, 30, 30));
        painter.fillRect(QRect(23, 10, 19, 20), QColor(30, 30, 30));
        painter.fillRect(QRect(42 + dotAt, 15, 3, 3), QColor(30, 30, 30));
        painter.fillRect(QRect(42 + dotAt, 25, 3, 3), QColor(30, 30, 30));
        painter.fillRect(QRect(42 + room, 10, 19, 20), QColor(30, 30, 30));
        return picture;
    };
    using platform::SignRoom;
    const QRect lineBox(0, 5, 120, 30);
    const auto room = [&](int room, int dotAt, const QRect& box) {
        return platform::signRoomFromInk(line(room, dotAt), lineBox, box);
    };
    // The engine's box runs from the first character to the next one.
    EXPECT_EQ(room(22, 4, QRect(42, 12, 22, 18)), SignRoom::FullWidth);
    EXPECT_EQ(room(22, 9, QRect(40, 12, 20, 18)), SignRoom::FullWidth);  // a centred one
    EXPECT_EQ(room(14, 3, QRect(42, 12, 14, 18)), SignRoom::AsciiSpaced);
    EXPECT_EQ(room(8, 3, QRect(42, 12, 8, 18)), SignRoom::AsciiTight);
    // No narrow speck where the engine read the sign, or nothing after it.
    EXPECT_EQ(room(14, 3, QRect(90, 12, 10, 18)), SignRoom::Unknown);
    EXPECT_EQ(platform::signRoomFromInk(line(14, 3), QRect(0, 5, 50, 30), QRect(42, 12, 14, 18)), SignRoom::Unknown);
    EXPECT_EQ(platform::signRoomFromInk(QImage(), lineBox, QRect(42, 12, 14, 18)), SignRoom::Unknown);
}
