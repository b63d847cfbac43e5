// Locale texts and storage forms, and the log record line.
#include "platform/LocaleText.h"
#include "platform/LogFile.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QTest>

class TestPlatform : public QObject {
    Q_OBJECT
  private slots:
    void cleanup() {
        QLocale::setDefault(QLocale::c());
        platform::setCurrencySymbol(QString());
        platform::setPaperChoice(QPageSize::Custom);
    }

    // Money in the locale's currency, placed and spaced its way, or in the sign the user set;
    // the paper of the country, or the one the user chose.
    void moneyAndPaperFollowTheLocale_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("sign");
        QTest::addColumn<int>("chosenPaper");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("negative");
        QTest::addColumn<int>("paper");
        const int none = QPageSize::Custom;
        QTest::newRow("en_US") << "en_US"
                               << "" << none << "$1,234.50"
                               << "-$5.00" << int(QPageSize::Letter);
        QTest::newRow("en_CA") << "en_CA"
                               << "" << none << "$1,234.50"
                               << "-$5.00" << int(QPageSize::Letter);
        QTest::newRow("de_DE") << "de_DE"
                               << "" << none << QString::fromUtf8("1.234,50\u00a0€")
                               << QString::fromUtf8("-5,00\u00a0€") << int(QPageSize::A4);
        QTest::newRow("en_GB") << "en_GB"
                               << "" << none << QString::fromUtf8("£1,234.50")
                               << QString::fromUtf8("-£5.00") << int(QPageSize::A4);
        QTest::newRow("de_DE, CHF set, Letter chosen")
            << "de_DE"
            << "CHF" << int(QPageSize::Letter) << QString::fromUtf8("1.234,50\u00a0CHF")
            << QString::fromUtf8("-5,00\u00a0CHF") << int(QPageSize::Letter);
        QTest::newRow("C") << "C"
                           << "" << none << "$1234.50"
                           << "-$5.00" << int(QPageSize::Letter);
    }
    void moneyAndPaperFollowTheLocale() {
        QFETCH(QString, locale);
        QFETCH(QString, sign);
        QFETCH(int, chosenPaper);
        QFETCH(QString, amount);
        QFETCH(QString, negative);
        QFETCH(int, paper);
        QLocale::setDefault(QLocale(locale));
        platform::setCurrencySymbol(sign);
        platform::setPaperChoice(QPageSize::PageSizeId(chosenPaper));
        QCOMPARE(platform::moneyText(1234.5), amount);
        QCOMPARE(platform::moneyText(-5), negative);
        QCOMPARE(int(platform::paperSize()), paper);
        // The stored form of an amount never changes with the money shown.
        QCOMPARE(platform::sqlAmount(1234.5), QString("1234.5"));
    }

    void numberPatterns_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("text");
        QTest::newRow("grouped") << "en_US" << 1234.5 << "###,#0.#0"
                                 << "1,234.50";
        QTest::newRow("round") << "en_US" << 12.346 << "##,##0.#0"
                               << "12.35";
        QTest::newRow("zero") << "en_US" << 0.0 << "\"$\"#,##0.00"
                              << "$0.00";
        QTest::newRow("dollars") << "en_US" << 1234.5 << "\"$\"#,##0.00"
                                 << "$1,234.50";
        QTest::newRow("german") << "de_DE" << 1234.5 << "##,##0.#0"
                                << "1.234,50";
        QTest::newRow("no grouping") << "en_US" << 1234.5 << "0.00"
                                     << "1234.50";
    }
    void numberPatterns() {
        QFETCH(QString, locale);
        QFETCH(double, value);
        QFETCH(QString, pattern);
        QFETCH(QString, text);
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(platform::formatNumber(value, pattern), text);
    }

    // Amounts are written without QLocale's general route where the locale allows it; the text
    // must be QLocale's own in every locale, for halves, long amounts and odd groupings.
    void amountsReadAsTheLocaleWritesThem() {
        QRandomGenerator g(7);
        for (const char *name :
             {"en_US", "de_DE", "fr_FR", "es_ES", "hi_IN", "de_CH", "ar_EG", "C"}) {
            const QLocale locale(name);
            QLocale::setDefault(locale);
            QList<double> values{0.0,     0.125,       0.375, 2.5,    1234.625,
                                 999.995, 1e15 + 0.25, 4e17,  -0.001, -1234.5};
            for (int i = 0; i < 2000; ++i)
                values << (i % 2 ? g.bounded(100000000) / 100.0 : g.bounded(1e13));
            for (const double v : values) {
                QCOMPARE(platform::formatNumber(v, "###,#0.#0"), locale.toString(v, 'f', 2));
                QCOMPARE(platform::formatNumber(v, "\"$\"#,##0.00"),
                         "$" + locale.toString(v, 'f', 2));
                QLocale plain = locale;
                plain.setNumberOptions(QLocale::OmitGroupSeparator);
                QCOMPARE(platform::formatNumber(v, "0.000"), plain.toString(v, 'f', 3));
            }
        }
    }

    void numericTest_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("numeric");
        QTest::addColumn<double>("value");
        QTest::newRow("plain") << "en_US"
                               << "1250" << true << 1250.0;
        QTest::newRow("grouped") << "en_US"
                                 << "1,250.00" << true << 1250.0;
        QTest::newRow("decimal") << "en_US"
                                 << " 12.5 " << true << 12.5;
        QTest::newRow("letters") << "en_US"
                                 << "12a" << false << 0.0;
        QTest::newRow("empty") << "en_US"
                               << "" << false << 0.0;
        QTest::newRow("german comma") << "de_DE"
                                      << "12,5" << true << 12.5;
    }
    void numericTest() {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(bool, numeric);
        QFETCH(double, value);
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(platform::isNumeric(text), numeric);
        QCOMPARE(platform::toNumber(text), value);
    }

    void storageFormsIgnoreTheLocale() {
        QLocale::setDefault(QLocale("de_DE"));
        QCOMPARE(platform::sqlAmount(12.35), QString("12.35"));
        QCOMPARE(platform::sqlAmount(9999999.99), QString("9999999.99"));
        QCOMPARE(platform::sqlDate(QDateTime(QDate(2007, 8, 16), QTime(0, 0))),
                 QString("2007-08-16"));
        QCOMPARE(platform::sqlDate(QDateTime(QDate(2007, 8, 16), QTime(14, 5, 9))),
                 QString("2007-08-16 14:05:09"));
        QCOMPARE(platform::fromStorage("2007-08-16").date(), QDate(2007, 8, 16));
        QCOMPARE(platform::fromStorage("2007-08-16 14:05:09").time(), QTime(14, 5, 9));
    }

    void shortDateReadsBack_data() {
        QTest::addColumn<QString>("locale");
        QTest::newRow("us") << "en_US";
        QTest::newRow("uk") << "en_GB";
        QTest::newRow("de") << "de_DE";
    }
    void shortDateReadsBack() {
        QFETCH(QString, locale);
        QLocale::setDefault(QLocale(locale));
        const QDate d(2007, 8, 16);
        QVERIFY(platform::shortDate(d).contains("2007"));
        QCOMPARE(platform::parseShortDate(platform::shortDate(d)), d);
    }

    void recordLineUsesPrintZones() {
        QLocale::setDefault(QLocale("en_US"));
        const QString line =
            platform::logRecordLine(QDateTime(QDate(2026, 3, 14), QTime(9, 5, 3)), "Error: 13");
        QVERIFY(line.startsWith("3/14/2026"));
        QCOMPARE(line.indexOf("9:05:03"), 14);
        QCOMPARE(line.indexOf("Error: 13"), 28);
    }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
