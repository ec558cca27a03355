#include "lines/LinesEdit.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QtTest>

#include <vector>

#include "tests/lines/MarkedLines.h"

using kiv::LinesEdit;
using kiv::TextPos;

namespace {

void Fill(LinesEdit& edit, const QStringList& marked)
{
    edit.AppendLines(kiv::test::MarkedBatch(marked));
}

QString MarkedText(const LinesEdit& edit)
{
    return kiv::test::MarkedText(edit.Store());
}

} // namespace

class LinesEditTest : public QObject {
    Q_OBJECT

private slots:
    void editsKeepTheBoldWordsAndUndoBringsBackTheExactText_data()
    {
        QTest::addColumn<TextPos>("from");
        QTest::addColumn<TextPos>("to");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("after");
        // The text: "P1:[sexe] fin|P2:[jeux]|P3 rien|" (an empty last line).
        QTest::newRow("typing inside a bold word splits it") << TextPos{0, 5} << TextPos{0, 5} << "XY"
                                                             << "P1:[se]XY[xe] fin|P2:[jeux]|P3 rien|";
        QTest::newRow("deleting a line break joins the bold of both lines")
            << TextPos{0, 11} << TextPos{1, 3} << "" << "P1:[sexe] fin[jeux]|P3 rien|";
        QTest::newRow("a line break splits a line and its bold")
            << TextPos{1, 4} << TextPos{1, 4} << "\n" << "P1:[sexe] fin|P2:[j]|[eux]|P3 rien|";
        QTest::newRow("a selection over three lines replaced by pasted lines")
            << TextPos{0, 2} << TextPos{2, 2} << "a\r\nb" << "P1a|b rien|";
        QTest::newRow("everything deleted leaves one empty line") << TextPos{0, 0} << TextPos{3, 0} << "" << "";
    }
    void editsKeepTheBoldWordsAndUndoBringsBackTheExactText()
    {
        QFETCH(TextPos, from);
        QFETCH(TextPos, to);
        QFETCH(QString, typed);
        QFETCH(QString, after);
        LinesEdit edit;
        Fill(edit, {"P1:[sexe] fin", "P2:[jeux]", "P3 rien"});
        const QString before = MarkedText(edit);
        QCOMPARE(before, QStringLiteral("P1:[sexe] fin|P2:[jeux]|P3 rien|"));
        edit.ReplaceRange(from, to, typed);
        QCOMPARE(MarkedText(edit), after);
        QAccessibleTextInterface* text = QAccessible::queryAccessibleInterface(&edit)->textInterface();
        QCOMPARE(text->text(0, text->characterCount()), edit.toPlainText());
        edit.undo();
        QCOMPARE(MarkedText(edit), before);
        edit.redo();
        QCOMPARE(MarkedText(edit), after);
    }

    void pastedTextSplitsAtEveryKindOfLineBreak_data()
    {
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("lines");
        QTest::newRow("Windows") << "a\r\nb" << "a|b";
        QTest::newRow("old Mac") << "a\rb" << "a|b";
        QTest::newRow("Unix, a break at the end") << "a\nb\n" << "a|b|";
        QTest::newRow("paragraph and line separators") << QString("a") + QChar::ParagraphSeparator + "b" + QChar::LineSeparator + "c" << "a|b|c";
        QTest::newRow("CR CR LF is two breaks") << "a\r\r\nb" << "a||b";
    }
    void pastedTextSplitsAtEveryKindOfLineBreak()
    {
        QFETCH(QString, pasted);
        QFETCH(QString, lines);
        LinesEdit edit;
        edit.ReplaceSelection(pasted);
        QCOMPARE(MarkedText(edit), lines);
        // Offsets and positions convert both ways, line breaks counted once.
        const kiv::LineStore& store = edit.Store();
        for (qsizetype offset = 0; offset <= store.CharacterCount(); ++offset)
            QCOMPARE(store.OffsetOf(store.PosOfOffset(offset)), offset);
        QCOMPARE(store.CharacterCount(), edit.toPlainText().size());
    }

    void theMouseSetsTheCaretSelectsAndTheViewScrollsWithIt()
    {
        LinesEdit edit;
        edit.resize(300, 200);
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        QStringList lines;
        for (int i = 0; i < 1000; ++i)
            lines << QStringLiteral("ligne %1 POSTE").arg(i);
        Fill(edit, lines);
        QWidget* area = edit.viewport();
        const QRect second = edit.CharacterRect({1, 6});
        QTest::mouseClick(area, Qt::LeftButton, {}, second.center() - QPoint(second.width() / 4, 0));
        QCOMPARE(edit.CursorPos(), (TextPos{1, 6}));
        QTest::mouseDClick(area, Qt::LeftButton, {}, second.center());
        QCOMPARE(edit.SelectedText(), QStringLiteral("1"));
        QTest::mouseClick(area, Qt::LeftButton, Qt::ShiftModifier, edit.CharacterRect({3, 0}).topLeft() + QPoint(1, 2));
        QCOMPARE(edit.SelectedText(), QStringLiteral("1 POSTE\nligne 2 POSTE\n"));
        // The scroll bar reaches the last line, and the caret sent there
        // brings it on screen.
        QTRY_COMPARE(edit.verticalScrollBar()->maximum() + edit.verticalScrollBar()->pageStep(), 1001);
        edit.MoveToEnd();
        edit.EnsureCursorVisible();
        QVERIFY(edit.viewport()->rect().contains(edit.CharacterRect(edit.CursorPos())));
    }

    // A NUL in a log line takes the room of a space on screen, short line or
    // long, and stays a NUL in the text that is saved.
    void aNulIsShownAsASpaceAndKeptInTheText()
    {
        LinesEdit edit;
        edit.resize(300, 200);
        kiv::LineBatch batch;
        const std::string longTail(3000, 'x');
        for (const std::string& tail : {std::string(), longTail}) {
            const std::string withNul = std::string("a\0b", 3) + tail;
            const std::string withSpace = "a b" + tail;
            batch.Add(std::string_view(withNul));
            batch.Add(std::string_view(withSpace));
        }
        edit.AppendLines(std::move(batch));
        for (const qsizetype line : {0, 2})
            QCOMPARE(edit.CharacterRect({line, 2}).left(), edit.CharacterRect({line + 1, 2}).left());
        std::string saved;
        edit.Store().AppendCp1252(0, saved);
        QCOMPARE(saved, std::string("a\0b", 3));

        // A screen reader hears the space the view shows, line by line and
        // whole: a NUL would end what it reads there.
        QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(&edit);
        QAccessibleTextInterface* text = reader->textInterface();
        const QString whole = reader->text(QAccessible::Value);
        QCOMPARE(whole, edit.toPlainText().replace(QChar(0), u' '));
        QVERIFY(!text->text(0, text->characterCount()).contains(QChar(0)));
        for (const int line : {0, 2}) {
            int start = 0;
            int end = 0;
            const int inLine = static_cast<int>(edit.Store().OffsetOf({line, 1}));
            const int inTwin = static_cast<int>(edit.Store().OffsetOf({line + 1, 1}));
            const QString heard = text->textAtOffset(inLine, QAccessible::LineBoundary, &start, &end);
            QCOMPARE(heard.left(3), text->textAtOffset(inTwin, QAccessible::LineBoundary, &start, &end).left(3));
            QCOMPARE(heard.left(3), QStringLiteral("a b"));
        }
    }

    void keysEditAndMoveAsInAnyTextBoxAndAppendedLinesAreNoEdit()
    {
        LinesEdit edit;
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        edit.setFocus();
        QTest::keyClicks(&edit, "abc");
        QTest::keyClick(&edit, Qt::Key_Left, Qt::ShiftModifier);
        QCOMPARE(edit.SelectedText(), QStringLiteral("c"));
        QTest::keyClick(&edit, Qt::Key_Return);
        QTest::keyClicks(&edit, "de");
        QTest::keyClick(&edit, Qt::Key_Up);
        QCOMPARE(edit.CursorPos(), (TextPos{0, 2}));
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QCOMPARE(edit.toPlainText(), QStringLiteral("a\nde"));
        // A search appends below what the user typed, on a line of its own.
        Fill(edit, {"r[1]", "r2"});
        QCOMPARE(MarkedText(edit), QStringLiteral("a|de|r[1]|r2|"));
        QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(edit.toPlainText(), QStringLiteral("ab\nde\nr1\nr2\n"));
        QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier); // "de" typed in one go
        QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier); // the line break that replaced "c"
        QCOMPARE(edit.toPlainText(), QStringLiteral("abc\nr1\nr2\n"));
        QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(&edit, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), edit.toPlainText());
        QTest::keyClick(&edit, Qt::Key_Delete);
        QCOMPARE(edit.toPlainText(), QString());
    }

    void aScreenReaderReadsWritesAndPointsAtTheText()
    {
        LinesEdit edit;
        edit.resize(300, 200);
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        Fill(edit, {"un", "[deux]", "trois"});
        QCOMPARE(edit.CursorPos(), (TextPos{3, 0})); // a caret at the end stays at the end
        QAccessibleInterface* access = QAccessible::queryAccessibleInterface(&edit);
        QAccessibleTextInterface* text = access->textInterface();
        QVERIFY(access->state().editable && access->state().multiLine);
        QCOMPARE(text->characterCount(), 14); // eleven letters and three line breaks
        QCOMPARE(text->text(3, 7), QStringLiteral("deux"));
        text->setSelection(0, 5, 10);
        QCOMPARE(edit.SelectedText(), QStringLiteral("ux\ntr"));
        int start = 0, end = 0;
        text->selection(0, &start, &end);
        QCOMPARE(std::pair(start, end), std::pair(5, 10));
        // The character drawn at a point is the one found at that point.
        const QRect r = text->characterRect(8);
        QCOMPARE(text->offsetAtPoint(r.center() - QPoint(r.width() / 4, 0)), 8);
        access->editableTextInterface()->replaceText(3, 7, QStringLiteral("2"));
        QCOMPARE(edit.toPlainText(), QStringLiteral("un\n2\ntrois\n"));
        edit.undo();
        QCOMPARE(MarkedText(edit), QStringLiteral("un|[deux]|trois|"));
    }
};

QTEST_MAIN(LinesEditTest)
#include "LinesEditTest.moc"
