// The text of the lines view without a window: the store against a plain
// string, and the undo history against searches that append in between.

#include "lines/LineDocument.h"
#include "tests/lines/MarkedLines.h"

#include <QRandomGenerator>
#include <QtTest>

#include <functional>
#include <string>

using kiv::LineBatch;
using kiv::LineDocument;
using kiv::LineStore;
using kiv::TextPos;
using kiv::test::MarkedBatch;
using kiv::test::MarkedText;

Q_DECLARE_METATYPE(TextPos)

namespace {

using Kind = LineDocument::EditKind;

// One step of a script: "type:abc", "erase" (Backspace), "delete",
// "enter", "append:r3|r4", "undo", "redo", "at:L,C" (caret), "select:L,C-L,C".
void Play(LineDocument& doc, const QString& step)
{
    const QString verb = step.section(u':', 0, 0);
    const QString arg = step.section(u':', 1);
    auto pos = [](const QString& text) {
        return TextPos{text.section(u',', 0, 0).toLongLong(), text.section(u',', 1, 1).toLongLong()};
    };
    const TextPos from = std::min(doc.Cursor(), doc.Anchor());
    const TextPos to = std::max(doc.Cursor(), doc.Anchor());
    if (verb == u"type") {
        doc.Replace(from, to, arg, Kind::Typing);
    } else if (verb == u"enter") {
        doc.Replace(from, to, QStringLiteral("\n"), Kind::Typing);
    } else if (verb == u"erase" || verb == u"delete") {
        const bool back = verb == u"erase";
        TextPos other = doc.Cursor();
        if (from == to) {
            const qsizetype length = doc.Store().LineLength(other.line);
            if (back)
                other = other.column > 0 ? TextPos{other.line, other.column - 1}
                                         : TextPos{other.line - 1, other.line > 0 ? doc.Store().LineLength(other.line - 1) : 0};
            else
                other = other.column < length ? TextPos{other.line, other.column + 1} : TextPos{other.line + 1, 0};
            doc.Replace(doc.Cursor(), doc.Store().Clamp(other), QString(), Kind::Erasing);
        } else {
            doc.Replace(from, to, QString());
        }
    } else if (verb == u"append") {
        doc.AppendLines(MarkedBatch(arg.split(u'|')));
    } else if (verb == u"undo") {
        doc.Undo();
    } else if (verb == u"redo") {
        doc.Redo();
    } else if (verb == u"at") {
        doc.SetSelection(pos(arg), pos(arg));
    } else if (verb == u"select") {
        doc.SetSelection(pos(arg.section(u'-', 0, 0)), pos(arg.section(u'-', 1, 1)));
    } else {
        QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
    }
}

QString Caret(const LineDocument& doc)
{
    return QStringLiteral("%1,%2").arg(doc.Cursor().line).arg(doc.Cursor().column);
}

// A whole text as one string, and for each of its characters 'b' when it is
// bold, '.' when not: what a move of text must carry along.
struct BoldText {
    QString text;
    QByteArray bold;
};

BoldText Read(const LineStore& store)
{
    BoldText out;
    for (qsizetype i = 0; i < store.LineCount(); ++i) {
        if (i > 0) {
            out.text += u'\n';
            out.bold += '.';
        }
        QByteArray bold(store.LineLength(i), '.');
        for (const kiv::BoldSpan& span : store.BoldIn(i))
            bold.replace(span.start, span.length, QByteArray(span.length, 'b'));
        out.text += store.LineText(i);
        out.bold += bold;
    }
    return out;
}

} // namespace

class LineDocumentTest : public QObject {
    Q_OBJECT

private slots:
    // Each script starts from results "r1|r2|" (an empty last line) and
    // ends with the text, the caret and what undo and redo still offer.
    void undoAndRedoNeverWriteIntoAppendedResults_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("caret");
        QTest::addColumn<QString>("history"); // "undo redo" available, "-" none
        QTest::newRow("letters typed and erased at the end, a search, Ctrl+Z: the results stay whole")
            << "at:2,0 type:a type:b type:c erase erase erase append:r[3]|r4 undo" << "r1|r2|r[3]|r4|" << "4,0" << "-";
        QTest::newRow("letters typed at the end go with their undo; the result below stays")
            << "at:2,0 type:abc append:r3 undo" << "r1|r2||r3|" << "2,0" << "redo";
        QTest::newRow("and come back with redo")
            << "at:2,0 type:abc append:r3 undo redo" << "r1|r2|abc|r3|" << "2,3" << "undo";
        QTest::newRow("a line break typed at the end cannot be undone once results fill the line after it")
            << "at:2,0 type:abc enter append:r3 undo" << "r1|r2|abc|r3|" << "4,0" << "-";
        QTest::newRow("an edit above the results is undone exactly")
            << "at:0,1 type:X append:r3 undo" << "r1|r2|r3|" << "0,1" << "redo";
        QTest::newRow("a redo that would write into a result is dropped")
            << "at:2,0 type:abc undo append:r3 redo" << "r1|r2|r3|" << "3,0" << "-";
        QTest::newRow("a redo above the results is kept")
            << "at:0,2 type:X undo append:r3 redo" << "r1X|r2|r3|" << "0,3" << "undo";
        QTest::newRow("a deleted result line comes back before later results")
            << "select:1,0-2,0 delete append:r3 undo" << "r1|r2|r3|" << "2,0" << "redo";
        QTest::newRow("an older step reaching the end is cut, newer ones above kept")
            << "at:2,0 type:a enter at:0,0 type:Z append:r3 undo undo" << "r1|r2|a|r3|" << "0,0" << "redo";
    }
    void undoAndRedoNeverWriteIntoAppendedResults()
    {
        QFETCH(QString, script);
        QFETCH(QString, text);
        QFETCH(QString, caret);
        QFETCH(QString, history);
        LineDocument doc;
        doc.AppendLines(MarkedBatch({"r1", "r2"}));
        for (const QString& step : script.split(u' '))
            Play(doc, step);
        QCOMPARE(MarkedText(doc.Store()), text);
        QCOMPARE(Caret(doc), caret);
        QStringList offered;
        if (doc.CanUndo())
            offered << QStringLiteral("undo");
        if (doc.CanRedo())
            offered << QStringLiteral("redo");
        QCOMPARE(offered.isEmpty() ? QStringLiteral("-") : offered.join(u' '), history);
    }

    void editsAreUndoneInStepsAsUsersExpect_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("text");
        QTest::newRow("letters typed one after another go in one undo")
            << "type:a type:b type:c undo" << "";
        QTest::newRow("a letter typed elsewhere starts a new step")
            << "type:a type:b at:0,0 type:c undo" << "ab";
        QTest::newRow("Backspace after Backspace comes back in one undo")
            << "type:abcd erase erase erase undo" << "abcd";
        QTest::newRow("Delete after Delete too") << "type:abcd at:0,0 delete delete undo" << "abcd";
        QTest::newRow("typing then erasing are two steps") << "type:abc erase undo" << "abc";
        QTest::newRow("a selection typed over is one step with its letter")
            << "type:abc select:0,0-0,2 type:X undo" << "abc";
        QTest::newRow("redo after undo of merged letters")
            << "type:a type:b undo redo" << "ab";
        QTest::newRow("a new edit forgets what redo had") << "type:ab undo type:c redo" << "c";
    }
    void editsAreUndoneInStepsAsUsersExpect()
    {
        QFETCH(QString, script);
        QFETCH(QString, text);
        LineDocument doc;
        for (const QString& step : script.split(u' '))
            Play(doc, step);
        QCOMPARE(MarkedText(doc.Store()), text);
    }

    void positionsFollowEveryChange()
    {
        LineDocument doc;
        doc.AppendLines(MarkedBatch({"alpha", "beta", "gamma"}));
        const int inBeta = doc.AddMark({1, 2});
        const int inGamma = doc.AddMark({2, 3});
        const int atEnd = doc.AddMark({3, 0});
        doc.Replace({1, 0}, {1, 0}, QStringLiteral("XY"));   // before the mark, same line
        QCOMPARE(doc.Mark(inBeta), (TextPos{1, 4}));
        doc.Replace({0, 2}, {1, 1}, QStringLiteral("1\n2\n3")); // lines joined and split above
        QCOMPARE(doc.Mark(inBeta), (TextPos{2, 4}));
        QCOMPARE(doc.Mark(inGamma), (TextPos{3, 3}));
        doc.Replace({3, 0}, {3, 5}, QString()); // the mark's text taken out
        QCOMPARE(doc.Mark(inGamma), (TextPos{3, 0}));
        doc.AppendLines(MarkedBatch({"delta"}));
        QCOMPARE(doc.Mark(atEnd), doc.Store().End()); // the end stays the end
        QCOMPARE(doc.Mark(inBeta), (TextPos{2, 4}));
        // Text put back where a mark stands goes before it, as with the caret.
        doc.Undo();
        QCOMPARE(doc.Mark(inGamma), (TextPos{3, 5}));
        QCOMPARE(MarkedText(doc.Store()), QStringLiteral("al1|2|3Ybeta|gamma|delta|"));
        doc.BeginEdit();
        doc.Replace({0, 0}, {0, 0}, QStringLiteral("<"));
        doc.Replace({0, 3}, {0, 3}, QStringLiteral(">"));
        doc.EndEdit();
        QCOMPARE(doc.Store().LineText(0), QStringLiteral("<al>1"));
        doc.Undo(); // one step
        QCOMPARE(doc.Store().LineText(0), QStringLiteral("al1"));
    }

    // The store against a plain string: random edits across the chunks of a
    // long text, line breaks and characters beyond Windows-1252 included,
    // then every edit undone.
    void theStoreMatchesPlainTextThroughRandomEdits()
    {
        QRandomGenerator random(1414);
        LineDocument doc;
        QStringList lines;
        for (int i = 0; i < 10000; ++i)
            lines << QStringLiteral("ligne %1 [POSTE%2]").arg(i).arg(i % 40);
        doc.AppendLines(MarkedBatch(lines));
        QString model = doc.Store().PlainText();
        const QString start = MarkedText(doc.Store());
        const QStringList pieces{"", "x", "é€", "Ω", "\n", "a\nb", "\n\n\n", "ligne\r\n"};
        for (int step = 0; step < 400; ++step) {
            const LineStore& store = doc.Store();
            const qsizetype size = store.CharacterCount();
            const qsizetype a = random.bounded(static_cast<int>(size) + 1);
            const qsizetype b = std::min(size, a + random.bounded(step % 10 == 0 ? 30000 : 20));
            const QString piece = pieces[random.bounded(static_cast<int>(pieces.size()))];
            doc.Replace(store.PosOfOffset(a), store.PosOfOffset(b), piece);
            QString normalized = piece;
            normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            model.replace(a, b - a, normalized);
            QCOMPARE(store.CharacterCount(), model.size());
            const qsizetype probe = random.bounded(static_cast<int>(model.size()) + 1);
            QCOMPARE(store.OffsetOf(store.PosOfOffset(probe)), probe);
            const TextPos at = store.PosOfOffset(probe);
            QCOMPARE(store.LineText(at.line, at.column, 5), model.mid(probe, 5).section(u'\n', 0, 0));
            if (step % 50 == 0) {
                QCOMPARE(store.PlainText(), model);
                qsizetype longest = 0;
                for (const QString& line : model.split(u'\n'))
                    longest = std::max(longest, line.size());
                QCOMPARE(store.LineLength(store.LongestLine()), longest);
            }
        }
        QCOMPARE(doc.Store().PlainText(), model);
        // Only the lines that hold a character beyond Windows-1252 are wide.
        for (qsizetype i = 0; i < doc.Store().LineCount(); ++i)
            QCOMPARE(doc.Store().IsNarrow(i), !doc.Store().LineText(i).contains(u'Ω'));
        while (doc.Undo()) {
        }
        // Every line back as it was, its bold word included.
        QCOMPARE(MarkedText(doc.Store()), start);
    }

    // A list of rooms with no bold, results with one bold word or several
    // after it: lines moved, copied, typed over and appended across chunks,
    // so that chunks without bold get some, grow past their size and are
    // split; every character keeps its bold.
    void boldStaysWithItsCharactersAcrossChunks()
    {
        QRandomGenerator random(2718);
        LineStore store;
        const auto chunk = static_cast<int>(LineStore::kChunkLines);
        // Room names take some five characters with their line break: a long
        // move takes some three chunks of them.
        const int longMove = 3 * chunk * 5;
        QStringList rooms;
        for (int i = 0; i < 3 * chunk + 100; ++i)
            rooms << QStringLiteral("S%1").arg(i % 700);
        QStringList results;
        for (int i = 0; i < 3000; ++i)
            results << (i % 5 == 0 ? QStringLiteral("[%1] eleve%2 [jeux]") : QStringLiteral("r%1 [POSTE%2]")).arg(i).arg(i % 40);
        store.AppendLines(MarkedBatch(rooms));
        store.AppendLines(MarkedBatch(results));
        QCOMPARE(MarkedText(store), rooms.join(u'|') + u'|' + results.join(u'|') + u'|');
        BoldText model = Read(store);
        for (int step = 0; step < 300; ++step) {
            const qsizetype size = store.CharacterCount();
            const qsizetype a = random.bounded(static_cast<int>(size) + 1);
            const qsizetype b = std::min(size, a + random.bounded(step % 10 < 2 ? longMove : 30));
            const QString text = model.text.mid(a, b - a);
            const QByteArray bold = model.bold.mid(a, b - a);
            kiv::LineRun run = store.Extract(store.PosOfOffset(a), store.PosOfOffset(b));
            switch (step % 4) {
            case 0: // cut, then pasted elsewhere
            case 1: { // copied elsewhere
                if (step % 4 == 0) {
                    store.Replace(store.PosOfOffset(a), store.PosOfOffset(b), kiv::LineRun{});
                    model.text.remove(a, b - a);
                    model.bold.remove(a, b - a);
                }
                const qsizetype at = random.bounded(static_cast<int>(model.text.size()) + 1);
                store.Replace(store.PosOfOffset(at), store.PosOfOffset(at), run);
                model.text.insert(at, text);
                model.bold.insert(at, bold);
                break;
            }
            case 2: // typed over
                store.Replace(store.PosOfOffset(a), store.PosOfOffset(b), store.RunOfText(QStringLiteral("x\ny")));
                model.text.replace(a, b - a, QStringLiteral("x\ny"));
                model.bold.replace(a, b - a, "...");
                break;
            default: { // results appended, after an empty last line or not
                const bool lastEmpty = store.LineLength(store.LineCount() - 1) == 0;
                store.AppendLines(MarkedBatch({QStringLiteral("S1"), QStringLiteral("[a]b[c]")}));
                model.text += lastEmpty ? QStringLiteral("S1\nabc\n") : QStringLiteral("\nS1\nabc\n");
                model.bold += lastEmpty ? "...b.b." : "....b.b.";
            }
            }
            if (step % 25 == 0) {
                const BoldText read = Read(store);
                QCOMPARE(read.text, model.text);
                QCOMPARE(read.bold, model.bold);
            }
        }
        const BoldText read = Read(store);
        QCOMPARE(read.text, model.text);
        QCOMPARE(read.bold, model.bold);
    }

    // A room list of millions of short lines pays for no bold it has not,
    // and a result's bold word costs memory only around its own line.
    void boldCostsMemoryOnlyWhereItIs()
    {
        const int count = 200000;
        const auto held = [&](const std::function<bool(int)>& bold) {
            LineStore store;
            LineBatch batch;
            for (int i = 0; i < count; ++i)
                batch.Add(std::string_view("S514"), bold(i) ? kiv::BoldSpan{0, 4} : kiv::BoldSpan{});
            store.AppendLines(std::move(batch));
            return store.BytesHeld();
        };
        const std::size_t empty = LineStore().BytesHeld();
        const std::size_t plain = held([](int) { return false; });
        const std::size_t lastBold = held([&](int i) { return i == count - 1; });
        const std::size_t allBold = held([](int) { return true; });
        QVERIFY(empty < plain);
        QVERIFY2(plain < allBold, qPrintable(QStringLiteral("%1 %2").arg(plain).arg(allBold)));
        QVERIFY2(lastBold - plain < (allBold - plain) / 10,
                 qPrintable(QStringLiteral("%1 %2 %3").arg(plain).arg(lastBold).arg(allBold)));
    }

    void emptyingGivesTheBlocksBack()
    {
        LineDocument doc;
        QStringList lines;
        for (int i = 0; i < 50000; ++i)
            lines << QStringLiteral("2026-06-15 08:00:00 PC%1 eleve%2 [jeux]").arg(i % 99).arg(i);
        const std::size_t empty = doc.Store().BytesHeld();
        doc.AppendLines(MarkedBatch(lines));
        const std::size_t full = doc.Store().BytesHeld();
        // One byte a character plus a small record a line.
        const std::size_t text = static_cast<std::size_t>(doc.Store().CharacterCount());
        QVERIFY2(full < text + 50000 * 32 + (2 << 20), qPrintable(QString::number(full)));
        doc.Replace({5, 0}, {5, 0}, QStringLiteral("typed "));
        doc.Clear();
        QCOMPARE(doc.Store().BytesHeld(), empty);
        QVERIFY(!doc.CanUndo());
        QCOMPARE(doc.Store().PlainText(), QString());
        // The empty line left is read like any other (the status line reads
        // the selected line as soon as "Effacer" has emptied the view).
        std::string bytes = "x";
        doc.Store().AppendCp1252(0, bytes);
        QCOMPARE(bytes, std::string("x"));
    }
};

QTEST_APPLESS_MAIN(LineDocumentTest)
#include "LineDocumentTest.moc"
