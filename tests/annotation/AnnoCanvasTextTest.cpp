// Typing text marks in place: Return, Esc, focus loss, emptied text, the
// input method, and Esc walking back out.
#include "AnnoDrivers.h"
#include <QInputMethodEvent>

namespace klipo {
namespace {

using CanvasTextTest = test::CanvasTest;

TEST_F(CanvasTextTest, return_CommitsTheTypedText_EscDropsIt)
{
    QLineEdit* field = startTyping({40, 50});
    ASSERT_TRUE(field);
    EXPECT_EQ(QApplication::focusWidget(), field);
    QTest::keyClicks(field, QStringLiteral("  hello "));
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_FALSE(canvas.editor());
    ASSERT_EQ(canvas.items().size(), 1);
    EXPECT_EQ(canvas.items().last().text, QStringLiteral("hello"));
    EXPECT_EQ(canvas.items().last().start, QPointF(40, 50));
    EXPECT_EQ(QApplication::focusWidget(), &canvas);

    field = startTyping({40, 120});
    QTest::keyClicks(field, QStringLiteral("gone"));
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_EQ(canvas.items().size(), 1);

    // Blank text is no mark; a press elsewhere commits the open edit first.
    field = startTyping({10, 10});
    QTest::keyClicks(field, QStringLiteral("   "));
    click({100, 100});
    EXPECT_EQ(canvas.items().size(), 1);
    QTest::keyClicks(canvas.editor(), QStringLiteral("second"));
    canvas.setTool(AnnoTool::text);  // the same tool leaves the edit open
    ASSERT_TRUE(canvas.editor());
    canvas.setTool(AnnoTool::select);  // another tool commits
    EXPECT_EQ(canvas.items().last().text, QStringLiteral("second"));

    field = startTyping({200, 150});
    QTest::keyClicks(field, QStringLiteral("focus"));
    canvas.setFocus();  // the field loses the focus: that commits too
    EXPECT_FALSE(canvas.editor());
    EXPECT_EQ(canvas.items().last().text, QStringLiteral("focus"));
}

// The field grows as the text is typed, so the whole text shows and none of
// it scrolls out on the left; at the canvas's edge it stops, and then scrolls.
TEST_F(CanvasTextTest, theField_GrowsWithTheTypedText_UpToTheCanvasEdge)
{
    const struct {
        QPointF at;
        double fontSize;
        QString text;
        bool fits;
    } cases[] = {
        {{40, 50}, 24, QStringLiteral("Nota: prueba 123"), true},
        {{20, 120}, 18, QStringLiteral("备注：这是一段较长的中文说明文字"), true},
        {{250, 20}, 24, QStringLiteral("Nota: prueba 123 con mucho más texto aquí"), false},
    };
    for (const auto& c : cases) {
        AnnoStyle style = canvas.style();
        style.fontSize = c.fontSize;
        canvas.setStyle(style);
        QLineEdit* field = startTyping(c.at);
        ASSERT_TRUE(field);
        QInputMethodEvent typed;  // as an input method hands it over
        typed.setCommitString(c.text);
        QApplication::sendEvent(field, &typed);
        const int textWidth = field->fontMetrics().horizontalAdvance(c.text);
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_LE(field->geometry().right(), canvas.width() - 1);
        if (c.fits) {
            EXPECT_GT(field->width(), textWidth);
            // The caret after the whole text: none of it scrolled out on the left.
            EXPECT_GE(field->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x(), textWidth - 2);
        } else {
            EXPECT_EQ(field->geometry().right(), canvas.width() - 1);
        }
        QTest::keyClick(field, Qt::Key_Return);
        EXPECT_EQ(canvas.items().last().text, c.text);
    }
}

TEST_F(CanvasTextTest, inputMethodText_BecomesTheMarksText)
{
    QLineEdit* field = startTyping({30, 30});
    ASSERT_TRUE(field);
    EXPECT_TRUE(field->testAttribute(Qt::WA_InputMethodEnabled));
    QInputMethodEvent composing(QStringLiteral("nihao"), {});
    QApplication::sendEvent(field, &composing);
    const QRect caret = field->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    EXPECT_TRUE(field->rect().adjusted(-1, -1, 1, 1).contains(caret));
    EXPECT_GT(caret.x(), 10);  // after the composed text, where the candidates belong
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("你好世界"));
    QApplication::sendEvent(field, &commit);
    QTest::keyClick(field, Qt::Key_Return);
    ASSERT_EQ(canvas.items().size(), 1);
    EXPECT_EQ(canvas.items().last().text, QStringLiteral("你好世界"));
}

TEST_F(CanvasTextTest, existingText_IsEditedByDoubleClick_RemovedWhenEmptied_AndEscWalksBackOut)
{
    QTest::keyClicks(startTyping({40, 50}), QStringLiteral("note"));
    QTest::keyClick(canvas.editor(), Qt::Key_Return);
    canvas.setTool(AnnoTool::select);
    const qsizetype steps = canvas.undoStack().size();

    doubleClick({45, 55});
    QLineEdit* field = canvas.editor();
    ASSERT_TRUE(field);
    EXPECT_EQ(field->text(), QStringLiteral("note"));
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    log.clear();
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_TRUE(canvas.items().isEmpty());
    EXPECT_FALSE(canvas.selectedID());
    EXPECT_EQ(canvas.undoStack().size(), steps + 1);
    EXPECT_EQ(log, (QStringList{QStringLiteral("deselected"), QStringLiteral("state")}));

    // Undo first commits an open edit, then takes that commit back.
    canvas.undo();
    doubleClick({45, 55});
    QTest::keyClicks(canvas.editor(), QStringLiteral("!"));
    canvas.undo();
    EXPECT_EQ(canvas.items().last().text, QStringLiteral("note"));
    canvas.redo();
    EXPECT_EQ(canvas.items().last().text, QStringLiteral("note!"));

    // Esc cancels the edit, then deselects, then asks to cancel the session.
    doubleClick({45, 55});
    QTest::keyClicks(canvas.editor(), QStringLiteral(" more"));
    log.clear();
    key(Qt::Key_Escape);
    EXPECT_FALSE(canvas.editor());
    EXPECT_EQ(canvas.items().last().text, QStringLiteral("note!"));
    key(Qt::Key_Escape);
    key(Qt::Key_Escape);
    EXPECT_EQ(log, (QStringList{QStringLiteral("deselected"), QStringLiteral("cancel")}));

    // Loading a new image drops an open edit and reports the new state.
    startTyping({10, 10});
    log.clear();
    canvas.load(test::whiteImage(50, 50));
    EXPECT_FALSE(canvas.editor());
    EXPECT_EQ(log, QStringList{QStringLiteral("state")});
}

}  // namespace
}  // namespace klipo
