#include "qtext/QtCp1252.h"

#include <QtTest>

using namespace kiv;

class QtCp1252Test : public QObject {
    Q_OBJECT

private slots:
    void everyByteSurvivesARoundTrip()
    {
        std::string all;
        for (int b = 0; b < 256; ++b)
            all += static_cast<char>(b);
        const QString text = FromCp1252(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(ToCp1252(text), all);
    }

    void knownCharacters_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("ascii") << QByteArray("S514") << QStringLiteral("S514");
        QTest::newRow("accents") << QByteArray("\xE9l\xE8ve") << QString::fromUtf8("élève");
        QTest::newRow("euro") << QByteArray("\x80") << QString::fromUtf8("€");
        QTest::newRow("oe") << QByteArray("\x9C") << QString::fromUtf8("œ");
        QTest::newRow("nbsp") << QByteArray("a\xA0" "b") << QString::fromUtf8("a\u00A0b");
        QTest::newRow("undefined byte") << QByteArray("\x81") << QString(QChar(0x81));
        QTest::newRow("line breaks") << QByteArray("a\r\nb") << QStringLiteral("a\r\nb");
    }

    void knownCharacters()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        const std::string raw(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        QCOMPARE(FromCp1252(raw), text);
        QCOMPARE(ToCp1252(text), raw);
    }

    // The in-place conversions that the lines views' store reads and writes
    // its lines with agree with the whole ones, byte for byte.
    void inPlaceConversionsAgreeWithTheWholeOnes()
    {
        std::string all;
        for (int b = 0; b < 256; ++b)
            all += static_cast<char>(b);
        QString decoded(256, Qt::Uninitialized);
        DecodeCp1252(all, decoded.data());
        QCOMPARE(decoded, FromCp1252(all));
        for (int b = 0; b < 256; ++b)
            QCOMPARE(Cp1252Char(all[static_cast<std::size_t>(b)]), decoded[b]);
        QVERIFY(FitsCp1252(decoded));
        std::string encoded(256, '\0');
        EncodeCp1252(decoded, encoded.data());
        QCOMPARE(encoded, all);
    }

    // Code points near the edges of the set: C1 controls that Windows-1252
    // puts other characters in place of, the five it leaves undefined, and
    // the characters it moved to 0x80-0x9F.
    void aCharactersByte_data()
    {
        QTest::addColumn<int>("codePoint");
        QTest::addColumn<int>("byte");
        QTest::newRow("C1 control where the euro sign is") << 0x80 << -1;
        QTest::newRow("C1 control where the apostrophe is") << 0x92 << -1;
        QTest::newRow("undefined byte 0x81") << 0x81 << 0x81;
        QTest::newRow("undefined byte 0x9D") << 0x9D << 0x9D;
        QTest::newRow("euro sign") << 0x20AC << 0x80;
        QTest::newRow("Y with diaeresis") << 0x178 << 0x9F;
        QTest::newRow("y with diaeresis") << 0xFF << 0xFF;
        QTest::newRow("A with macron") << 0x100 << -1;
        QTest::newRow("lone surrogate") << 0xD800 << -1;
    }
    void aCharactersByte()
    {
        QFETCH(int, codePoint);
        QFETCH(int, byte);
        const QChar c(static_cast<char16_t>(codePoint));
        QCOMPARE(Cp1252Byte(c), byte);
        QCOMPARE(FitsCp1252(QString(c)), byte >= 0);
    }

    void unrepresentableCharactersBecomeQuestionMarks()
    {
        QCOMPARE(ToCp1252(QString::fromUtf8("a\u0141b")), std::string("a?b"));       // Polish L with stroke
        QCOMPARE(ToCp1252(QString::fromUtf8("\U0001F600")), std::string("?"));       // one character, two UTF-16 units
        QCOMPARE(ToCp1252(QString::fromUtf8("x\u2029y")), std::string("x?y"));       // not a break here: the caller converts
        QCOMPARE(ToCp1252(QString(QChar(0xD800)) + u'a'), std::string("?a"));    // a surrogate without its pair
        QCOMPARE(ToCp1252(QString()), std::string());
        std::string out = "x";
        AppendCp1252(QString::fromUtf8("\U0001F600\u20AC"), out);
        QCOMPARE(out, std::string("x?\x80"));
    }
};

QTEST_GUILESS_MAIN(QtCp1252Test)
#include "QtCp1252Test.moc"
