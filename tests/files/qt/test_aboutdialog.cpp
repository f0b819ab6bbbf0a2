// The about box: which version text fills which label, how the version and
// the caption are cut, and the ways to close it.
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "files/qt/aboutdialog.h"

using namespace klt;

class AboutDialogTest : public QObject {
    Q_OBJECT

    static QString labelText(const AboutDialog& d, const char* name)
    {
        const auto* l = d.findChild<QLabel*>(QLatin1String(name));
        return l ? l->text() : QStringLiteral("<missing>");
    }

private slots:
    void versionText_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("shown");
        QTest::newRow("four pieces") << QStringLiteral("1.2.3.4") << QStringLiteral("Версия 1.2.3");
        QTest::newRow("two pieces keep a final dot") << QStringLiteral("1.0") << QStringLiteral("Версия 1.0.");
        QTest::newRow("runs of dots count as one") << QStringLiteral("2..7.1") << QStringLiteral("Версия 2.7.1");
    }
    void versionText()
    {
        QFETCH(QString, version);
        QFETCH(QString, shown);
        QCOMPARE(AboutDialog::versionText(version), shown);
    }

    void caption_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("caption");
        QTest::newRow("puzzle.exe") << QStringLiteral("puzzle.exe") << QStringLiteral("О программе \"PUZZLE\"");
        QTest::newRow("no extension") << QStringLiteral("kletomer") << QStringLiteral("О программе \"KLETOMER\"");
        QTest::newRow("up to the first dot") << QStringLiteral("My.Prog.exe") << QStringLiteral("О программе \"MY\"");
        QTest::newRow("Cyrillic: only the first letter stays capital")
            << QStringLiteral("КЛЕТОМЕР.EXE") << QStringLiteral("О программе \"Клетомер\"");
    }
    void caption()
    {
        QFETCH(QString, file);
        QFETCH(QString, caption);
        QCOMPARE(AboutDialog::captionFor(file), caption);
    }

    // The build's own version information fills the labels; the caption
    // comes from this program file's name when the box shows.
    void labelsFromTheBuild()
    {
        const VersionInfo info = VersionInfo::ofProgram();
        QVERIFY(info.valid);
        AboutDialog d;
        QCOMPARE(labelText(d, "lVersion"), QStringLiteral("Версия 1.2.3"));
        QCOMPARE(labelText(d, "lProductName"), QStringLiteral("Клетомер"));
        QCOMPARE(labelText(d, "lDescription"), info.fileDescription);
        QCOMPARE(labelText(d, "lCopyRight"), info.legalCopyright + QLatin1Char('\n') + info.comments);
        QVERIFY(!info.fileDescription.isEmpty() && !info.legalCopyright.isEmpty());
        d.show();
        QCOMPARE(d.windowTitle(),
                 AboutDialog::captionFor(QFileInfo(QCoreApplication::applicationFilePath()).fileName()));
        QVERIFY(d.windowTitle().endsWith(QStringLiteral("\"ABOUT_TEST\"")));
    }

    void versionFromFixedNumbersOrNone()
    {
        VersionInfo fixed;
        fixed.valid = true;
        fixed.fixedVersion = {2, 5, 0, 7};
        QCOMPARE(labelText(AboutDialog(fixed), "lVersion"), QStringLiteral("Версия 2.5.0"));

        const AboutDialog none{VersionInfo{}};
        for (const char* name : {"lVersion", "lProductName", "lDescription", "lCopyRight"})
            QCOMPARE(labelText(none, name), QString());
        QVERIFY(none.findChild<QPushButton*>(QStringLiteral("bOK")));
    }

    void escapeAndOkClose()
    {
        AboutDialog d;
        QTimer::singleShot(0, &d, [&d] { QTest::keyClick(&d, Qt::Key_Escape); });
        QCOMPARE(d.exec(), int(QDialog::Rejected));
        auto* ok = d.findChild<QPushButton*>(QStringLiteral("bOK"));
        QVERIFY(ok && ok->isDefault());
        QTimer::singleShot(0, &d, [ok] { QTest::mouseClick(ok, Qt::LeftButton); });
        QCOMPARE(d.exec(), int(QDialog::Accepted));
        QTimer::singleShot(0, &d, [&d] { QTest::keyClick(&d, Qt::Key_Return); });
        QCOMPARE(d.exec(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(AboutDialogTest)
#include "test_aboutdialog.moc"
