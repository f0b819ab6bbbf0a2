// The prize dialog driven through its controls: what reaches the field, what
// the phrase edit lets through, and what it remembers between runs.
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "core/commands.h"
#include "core/cp1251.h"
#include "prize/phraseedit.h"
#include "prize/prizedialog.h"
#include "testcontext.h"

using namespace klt;
using klt::test::RecordingContext;
using klt::test::rowsOf;
using klt::test::setRows;
using Rows = std::vector<std::vector<std::string>>;
Q_DECLARE_METATYPE(Rows)

namespace {

std::string cp(const char* utf8)
{
    return utf8ToCp1251(utf8);
}

// QTest::keyClicks sends only Latin-1 characters; a Russian keyboard layout
// delivers key events whose text is the Cyrillic letter.
void typeText(QWidget* w, const QString& text)
{
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

struct Driven {
    PrizeDialog dialog;
    PhraseEdit* eFrase = dialog.findChild<PhraseEdit*>(QStringLiteral("eFrase"));
    QSpinBox* rxsBadLetters = dialog.findChild<QSpinBox*>(QStringLiteral("rxsBadLetters"));
    QSpinBox* rxMin = dialog.findChild<QSpinBox*>(QStringLiteral("rxMin"));
    QSpinBox* rxMax = dialog.findChild<QSpinBox*>(QStringLiteral("rxMax"));
    QComboBox* cbLang = dialog.findChild<QComboBox*>(QStringLiteral("cbLang"));
    QCheckBox* cbMix = dialog.findChild<QCheckBox*>(QStringLiteral("cbMix"));
    QPushButton* bOK = dialog.findChild<QPushButton*>(QStringLiteral("bOK"));
    QPushButton* button2 = dialog.findChild<QPushButton*>(QStringLiteral("Button2"));

    // Runs the dialog modally; steps play the user's part once it shows.
    bool run(Workspace& ws, CommandContext& ctx, const std::function<void()>& steps)
    {
        QTimer::singleShot(0, &dialog, steps);
        // A step that forgets to close the dialog fails instead of hanging.
        QTimer::singleShot(10000, &dialog, [this] { dialog.done(-1); });
        return dialog.run(ws, ctx);
    }
    void clickOk() { QTest::mouseClick(bOK, Qt::LeftButton); }
    void clickCancel() { QTest::mouseClick(button2, Qt::LeftButton); }
};

} // namespace

class PrizeDialogTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
    }
    void init()
    {
        QFile::remove(PrizeDialog::settingsFile());
    }

    void controlsAsTheUserFindsThem()
    {
        Driven d;
        QVERIFY(d.eFrase && d.rxsBadLetters && d.rxMin && d.rxMax && d.cbLang && d.cbMix && d.bOK && d.button2);
        QCOMPARE(d.dialog.windowTitle(), QStringLiteral("Конкурс"));
        QCOMPARE(d.rxsBadLetters->minimum(), 0);
        QCOMPARE(d.rxsBadLetters->maximum(), 999);
        QCOMPARE(d.rxsBadLetters->value(), 0);
        QCOMPARE(d.rxMin->maximum(), 250);
        QCOMPARE(d.cbLang->currentText(), QStringLiteral("Русский"));
        QVERIFY(!d.cbMix->isChecked());
        QVERIFY(d.bOK->isDefault());
        QVERIFY(!d.bOK->isEnabled());
    }

    // rxMax follows the field's row count at every showing; bOK follows the
    // phrase with blanks trimmed; the document's phrase is shown on opening
    // and kept when the dialog is cancelled.
    void showingAndCancel()
    {
        Workspace ws;
        RecordingContext host{ws};
        ws.doc.field().setSize(5, 7);
        ws.doc.prizePhrase = cp("кот");
        Driven d;
        bool okEnabled = false;
        QString shown;
        QVERIFY(!d.run(ws, host, [&] {
            QCOMPARE(d.rxMax->maximum(), 7);
            QCOMPARE(d.rxMax->value(), 7);
            shown = d.eFrase->text();
            okEnabled = d.bOK->isEnabled();
            d.rxMax->setValue(2);
            d.eFrase->setPhrase(QStringLiteral(" \t "));
            QVERIFY(!d.bOK->isEnabled());
            QTest::keyClicks(d.eFrase, QStringLiteral("  "));
            typeText(d.eFrase, QStringLiteral("ы"));
            QVERIFY(d.bOK->isEnabled());
            d.clickCancel();
        }));
        QCOMPARE(shown, QStringLiteral("КОТ")); // the edit is upper-case only
        QVERIFY(okEnabled);
        QCOMPARE(ws.doc.prizePhrase, cp("кот"));
        QCOMPARE(host.messages.size(), size_t(0));

        ws.doc.field().setRowCount(3);
        ws.doc.prizePhrase.clear();
        QVERIFY(!d.run(ws, host, [&] {
            QCOMPARE(d.rxMax->maximum(), 3);
            QCOMPARE(d.rxMax->value(), 3);
            QCOMPARE(d.eFrase->text(), QString());
            QVERIFY(!d.bOK->isEnabled());
            d.dialog.reject(); // Escape
        }));
    }

    // Capacity 10: the letters land in the 3rd, 6th and 9th empty cells of
    // the band; filled and clue cells are skipped, the 10th stays empty.
    void placement_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<Rows>("expected");
        QTest::newRow("three letters, capacity 10") << 1 << 3 << QStringLiteral("кот")
            << Rows{{"", "-", "", cp("К")}, {"", "", cp("О"), ""}, {"", cp("Т"), "3", ""}};
        QTest::newRow("band of rows 2..3, capacity 7") << 2 << 3 << QStringLiteral("да")
            << Rows{{"", "-", "", ""}, {"", "", cp("Д"), ""}, {"", cp("А"), "3", ""}};
        QTest::newRow("capacity equal to the length") << 3 << 3 << QStringLiteral("я я")
            << Rows{{"", "-", "", ""}, {"", "", "", ""}, {cp("Я"), " ", "3", cp("Я")}};
    }
    void placement()
    {
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(QString, typed);
        QFETCH(Rows, expected);
        Workspace ws;
        RecordingContext host{ws};
        const Rows before{{"", "-", "", ""}, {"", "", "", ""}, {"", "", "3", ""}};
        setRows(ws, before);
        Driven d;
        QVERIFY(d.run(ws, host, [&] {
            d.rxMin->setValue(first);
            d.rxMax->setValue(last);
            typeText(d.eFrase, typed);
            d.clickOk();
        }));
        QCOMPARE(rowsOf(ws), expected);
        QCOMPARE(QString::fromStdString(cp1251ToUtf8(ws.doc.prizePhrase)), typed.toUpper());
        QCOMPARE(d.eFrase->text(), typed.toUpper());
        QVERIFY(host.messages.empty());
        ws.doc.restoreSnapshot(false); // the placement can be undone
        QCOMPARE(rowsOf(ws), before);
    }

    // A phrase read from a file in lower case is placed in capitals, as the
    // upper-case edit shows it.
    void lowerCasePhraseFromAFile()
    {
        Workspace ws;
        RecordingContext host{ws};
        setRows(ws, {{"", "-", ""}});
        ws.doc.prizePhrase = cp("ёж");
        Driven d;
        QVERIFY(d.run(ws, host, [&] { d.clickOk(); }));
        QCOMPARE(rowsOf(ws), (Rows{{cp("Ё"), "-", cp("Ж")}}));
        QCOMPARE(ws.doc.prizePhrase, cp("ЁЖ"));
    }

    // A second placement: cells holding the earlier letters count as free,
    // the old letters and decoys go, the new phrase takes their places.
    void placementOverAnEarlierOne()
    {
        Workspace ws;
        RecordingContext host{ws};
        setRows(ws, {{cp("К"), "", "-" + cp("Ж"), cp("Т"), "-2"}});
        Driven d;
        QVERIFY(d.run(ws, host, [&] {
            d.rxMin->setValue(1);
            typeText(d.eFrase, QStringLiteral("дом"));
            d.clickOk();
        }));
        QCOMPARE(rowsOf(ws), (Rows{{cp("Д"), cp("О"), "-", cp("М"), "-2"}}));
        QVERIFY(host.messages.empty());
    }

    // The phrase does not fit once the hidden answers are shown again: the
    // message, the dialog stays open, the field is the picture as it was.
    void phraseThatDoesNotFit()
    {
        Workspace ws;
        RecordingContext host{ws};
        const Rows picture{{"-", "", "-"}, {"-", "-", ""}};
        setRows(ws, picture);
        toggleHideAnswers(ws.doc); // six blank-looking cells while hidden
        ws.doc.prizePhrase = cp("ДОМ");
        Driven d;
        bool stillOpen = false;
        QVERIFY(!d.run(ws, host, [&] {
            d.eFrase->clear();
            typeText(d.eFrase, QStringLiteral("кот"));
            d.clickOk();
            stillOpen = d.dialog.isVisible();
            d.clickCancel();
        }));
        QVERIFY(stillOpen);
        QCOMPARE(host.messages, std::vector<std::string>{"|Слово не помещается в игровое поле"});
        QVERIFY(!ws.doc.answersHidden());
        QCOMPARE(rowsOf(ws), picture);
        QCOMPARE(ws.doc.prizePhrase, cp("ДОМ"));
    }

    // Mixed: the cells get a permutation, the edit and the document keep
    // the phrase as typed.
    void mix()
    {
        RecordingContext host;
        host.seed = 7;
        Workspace ws;
        host.attach(ws);
        setRows(ws, {{"", "", "", "", "", "", "", ""}});
        Driven d;
        QVERIFY(d.run(ws, host, [&] {
            d.cbLang->setCurrentIndex(1);
            QTest::mouseClick(d.cbMix, Qt::LeftButton);
            QTest::keyClicks(d.eFrase, QStringLiteral("abcdefgh"));
            d.clickOk();
        }));
        std::string placed;
        const Rows after = rowsOf(ws);
        for (const auto& t : after[0]) placed += t;
        QVERIFY(placed != "ABCDEFGH");
        std::string sorted = placed;
        std::sort(sorted.begin(), sorted.end());
        QCOMPARE(sorted, std::string("ABCDEFGH"));
        QCOMPARE(d.eFrase->text(), QStringLiteral("ABCDEFGH"));
        QCOMPARE(ws.doc.prizePhrase, std::string("ABCDEFGH"));
    }

    // Decoys go only into filled cells without a clue, in the chosen
    // alphabet; a field whose filled cells all carry clues gets none.
    void decoys_data()
    {
        QTest::addColumn<int>("lang");
        QTest::addColumn<Rows>("field");
        QTest::addColumn<bool>("expectDecoys");
        const Rows plain{{"-", "-", "", "-2", "-", "-"}, {"-", "", "", "-", "-", "-"}};
        const Rows allClues{{"-3", "-2", "", "1", "-1", ""}, {"-4", "", "", "-1", "", "2"}};
        QTest::newRow("Русский") << 0 << plain << true;
        QTest::newRow("Латинский") << 1 << plain << true;
        QTest::newRow("Оба") << 2 << plain << true;
        QTest::newRow("only clue cells filled") << 0 << allClues << false;
    }
    void decoys()
    {
        QFETCH(int, lang);
        QFETCH(Rows, field);
        QFETCH(bool, expectDecoys);
        Workspace ws;
        RecordingContext host{ws};
        setRows(ws, field);
        Driven d;
        QVERIFY(d.run(ws, host, [&] {
            d.cbLang->setCurrentIndex(lang);
            d.rxsBadLetters->setValue(lang == 2 ? 40 : 5);
            QTest::keyClicks(d.eFrase, QStringLiteral(" "));
            typeText(d.eFrase, QStringLiteral("ю"));
            QTest::keyClicks(d.eFrase, QStringLiteral("z"));
            d.clickOk();
        }));
        const Rows after = rowsOf(ws);
        int decoys = 0;
        bool russian = false, latin = false;
        for (size_t r = 0; r < field.size(); ++r) {
            for (size_t c = 0; c < field[r].size(); ++c) {
                const std::string& was = field[r][c];
                const std::string& now = after[r][c];
                if (was != "-") {
                    if (was != "") QCOMPARE(now, was); // clues untouched
                    continue;
                }
                if (now == "-") continue;
                QCOMPARE(now.size(), size_t(2));
                QCOMPARE(now[0], '-');
                const auto letter = static_cast<unsigned char>(now[1]);
                const bool ru = letter >= 192 && letter <= 223, lat = letter >= 'A' && letter <= 'Z';
                QVERIFY(lang == 0 ? ru : lang == 1 ? lat : (ru || lat));
                russian |= ru;
                latin |= lat;
                ++decoys;
            }
        }
        QCOMPARE(decoys > 0, expectDecoys);
        if (lang == 2) QVERIFY(russian && latin);
    }

    // The edit takes only letters of the chosen alphabet and the blank,
    // upper-cased, whether typed or pasted.
    void phraseFilter_data()
    {
        QTest::addColumn<int>("lang");
        QTest::addColumn<QString>("latinKeys");
        QTest::addColumn<QString>("otherKeys");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Русский refuses q") << 0 << QStringLiteral("q") << QStringLiteral("жук") << QStringLiteral("ЖУК");
        QTest::newRow("Латинский refuses ж") << 1 << QStringLiteral("cat z") << QStringLiteral("ж") << QStringLiteral("CAT Z");
        QTest::newRow("Оба takes both") << 2 << QStringLiteral("q") << QStringLiteral("ж") << QStringLiteral("QЖ");
        QTest::newRow("signs between Z and a") << 1 << QStringLiteral("[\\]^_`") << QString() << QStringLiteral("[\\]^_`");
        QTest::newRow("digits, ё and é are refused") << 2 << QStringLiteral("19") << QStringLiteral("ёЁé") << QString();
    }
    void phraseFilter()
    {
        QFETCH(int, lang);
        QFETCH(QString, latinKeys);
        QFETCH(QString, otherKeys);
        QFETCH(QString, expected);
        Driven d;
        d.dialog.show();
        d.cbLang->setCurrentIndex(lang);
        QTest::keyClicks(d.eFrase, latinKeys);
        typeText(d.eFrase, otherKeys);
        QCOMPARE(d.eFrase->text(), expected);

        d.eFrase->clear();
        QGuiApplication::clipboard()->setText(latinKeys + QStringLiteral("\t") + otherKeys + QStringLiteral("\r\n1"));
        d.eFrase->paste();
        QCOMPARE(d.eFrase->text(), expected);
    }

    // A phrase from a file keeps characters the alphabet would refuse; only
    // what the user adds is filtered, at the cursor.
    void loadedPhraseSurvivesTyping()
    {
        Driven d;
        d.dialog.show();
        d.eFrase->setPhrase(QStringLiteral("ab1"));
        d.eFrase->setCursorPosition(1);
        typeText(d.eFrase, QStringLiteral("жq"));
        QCOMPARE(d.eFrase->text(), QStringLiteral("AЖB1"));
        QCOMPARE(d.eFrase->cursorPosition(), 2);
    }

    void settingsKeptBetweenRuns()
    {
        {
            Driven d;
            d.rxsBadLetters->setValue(17);
            d.cbMix->setChecked(true);
            d.cbLang->setCurrentIndex(2);
            d.dialog.show();
            d.dialog.reject();
        }
        QSettings ini(PrizeDialog::settingsFile(), QSettings::IniFormat);
        QCOMPARE(ini.value(QStringLiteral("TPrizeForm/rxsBadLetters.Value")).toInt(), 17);
        QCOMPARE(ini.value(QStringLiteral("TPrizeForm/cbLang.ItemIndex")).toInt(), 2);
        QVERIFY(PrizeDialog::settingsFile().endsWith(QCoreApplication::applicationName() + QStringLiteral(".INI")));

        Driven again;
        QCOMPARE(again.rxsBadLetters->value(), 17);
        QVERIFY(again.cbMix->isChecked());
        QCOMPARE(again.cbLang->currentIndex(), 2);
        // The alphabet restored is the one the edit filters by.
        QTest::keyClicks(again.eFrase, QStringLiteral("q"));
        QCOMPARE(again.eFrase->text(), QStringLiteral("Q"));
    }
};

QTEST_MAIN(PrizeDialogTest)
#include "test_prizedialog.moc"
