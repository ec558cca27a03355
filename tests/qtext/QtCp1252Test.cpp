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

    void unrepresentableCharactersBecomeQuestionMarks()
    {
        QCOMPARE(ToCp1252(QString::fromUtf8("a\u0141b")), std::string("a?b"));       // Polish L with stroke
        QCOMPARE(ToCp1252(QString::fromUtf8("\U0001F600")), std::string("?"));       // one character, two UTF-16 units
        QCOMPARE(ToCp1252(QString::fromUtf8("x\u2029y")), std::string("x?y"));       // not a break here: the caller converts
        QCOMPARE(ToCp1252(QString()), std::string());
    }
};

QTEST_GUILESS_MAIN(QtCp1252Test)
#include "QtCp1252Test.moc"
