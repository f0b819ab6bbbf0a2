#include <QLabel>
#include <QTimer>
#include <QtTest>

#include "widgets/eventpump.h"
#include "widgets/gradgauge.h"
#include "widgets/progressstatusbar.h"

using namespace klt;

class ProgressTest : public QObject {
    Q_OBJECT
private slots:
    void rangeRules_data();
    void rangeRules();
    void captions();
    void bands();
    void paintedBar();
    void captionReadableOverBothParts();
    void stepPumpsEvents();
    void statusBarModes();
};

// Each row: min, max, start progress, then one operation and the progress after it.
void ProgressTest::rangeRules_data()
{
    QTest::addColumn<QString>("op");
    QTest::addColumn<int>("arg");
    QTest::addColumn<int>("expected");
    QTest::newRow("set above max is ignored") << "set" << 101 << 50;
    QTest::newRow("set below min is ignored") << "set" << -1 << 50;
    QTest::newRow("step past max stops at max") << "step" << 55 << 100;
    QTest::newRow("step past min stops at min") << "step" << -55 << 0;
    QTest::newRow("lower max pulls progress down") << "max" << 40 << 40;
    QTest::newRow("raise min pushes progress up") << "min" << 60 << 60;
    QTest::newRow("max above progress keeps it") << "max" << 70 << 50;
}

void ProgressTest::rangeRules()
{
    QFETCH(QString, op);
    QFETCH(int, arg);
    QFETCH(int, expected);
    TGradGaug g;
    g.setProgress(50);
    if (op == "set") g.setProgress(arg);
    else if (op == "step") g.stepBy(arg);
    else if (op == "max") g.setMaxValue(arg);
    else g.setMinValue(arg);
    QCOMPARE(g.progress(), expected);
    QVERIFY(g.progress() >= g.minValue() && g.progress() <= g.maxValue());
}

void ProgressTest::captions()
{
    TGradGaug g;
    g.setMinValue(10);
    g.setMaxValue(10);
    QCOMPARE(g.percent(), 0.0);
    QCOMPARE(g.captionText(), QString("0%"));
    QVERIFY(g.barLength() <= 0);

    g.setMaxValue(1000);
    g.setProgress(37);
    g.setProgressCaption(ProgressCaption::Absolute);
    QCOMPARE(g.captionText(), QString("37"));
    g.setMinValue(0);
    g.setMaxValue(200);
    g.setProgressCaption(ProgressCaption::Percent);
    QCOMPARE(g.captionText(), QString("19%")); // 18.5 rounds up
}

void ProgressTest::bands()
{
    const QColor s(0, 0, 0), e(0, 0, 255);
    auto two = gradientBands(10, 2, s, e);
    QCOMPARE(two.size(), size_t(2));
    QCOMPARE(two[0].from, 0);
    QCOMPARE(two[0].to, 5);
    QCOMPARE(two[0].color, s);
    QCOMPARE(two[1].to, 10);
    QCOMPARE(two[1].color, e);

    auto one = gradientBands(7, 1, s, e);
    QCOMPARE(one.size(), size_t(1));
    QCOMPARE(one[0].color, s);
    QCOMPARE(one[0].to, 7);

    // Sixteen bands over 100 pixels: ends exact, band edges rounded halves up.
    auto many = gradientBands(100, 16, QColor(200, 0, 0), QColor(0, 0, 200));
    QCOMPARE(many.front().color, QColor(200, 0, 0));
    QCOMPARE(many.back().color, QColor(0, 0, 200));
    QCOMPARE(many[1].from, 6); // 6.25
    QCOMPARE(many[2].from, 13); // 12.5 away from zero
    QCOMPARE(mulDiv(-5, 1, 2), -3);
}

void ProgressTest::paintedBar()
{
    // A 12 x 8 gauge at 100 %: the bar covers x 1..10, the left half in the
    // begin colour and the right half in the end colour; with the direction
    // reversed the colours swap.
    TGradGaug g;
    g.setBevelStyle(BevelStyle::None);
    g.resize(12, 8);
    g.setProgressCaption(ProgressCaption::None);
    g.setColor(Qt::white);
    g.setNumberOfColors(2);
    g.setBeginColor(QColor(255, 0, 0));
    g.setEndColor(QColor(0, 255, 0));
    g.setProgress(100);
    QImage img = g.grab().toImage();
    QCOMPARE(img.pixelColor(0, 4), QColor(Qt::white));
    QCOMPARE(img.pixelColor(1, 4), QColor(255, 0, 0));
    QCOMPARE(img.pixelColor(5, 4), QColor(255, 0, 0));
    QCOMPARE(img.pixelColor(6, 4), QColor(0, 255, 0));
    QCOMPARE(img.pixelColor(10, 4), QColor(0, 255, 0));
    QCOMPARE(img.pixelColor(11, 4), QColor(Qt::white));

    g.setFillDirection(FillDirection::RightToLeft);
    img = g.grab().toImage();
    QCOMPARE(img.pixelColor(1, 4), QColor(0, 255, 0));
    QCOMPARE(img.pixelColor(10, 4), QColor(255, 0, 0));

    // Below three pixels' worth of progress there is no bar at all.
    g.setProgress(20); // 2.4 pixels
    img = g.grab().toImage();
    QCOMPARE(img.pixelColor(1, 4), QColor(Qt::white));
}

void ProgressTest::captionReadableOverBothParts()
{
    // A white caption on a light background: where the bar has not come,
    // the caption must still differ from the background.
    TGradGaug g;
    g.setBevelStyle(BevelStyle::None);
    g.resize(200, 20);
    g.setColor(Qt::white);
    g.setBeginColor(QColor(0, 0, 128));
    g.setEndColor(QColor(0, 0, 128));
    g.setFontColor(Qt::white);
    g.setProgressCaption(ProgressCaption::Percent);
    g.setProgress(10); // the bar ends left of the caption
    const QImage img = g.grab().toImage();
    bool dark = false;
    for (int x = 60; x < 140 && !dark; ++x)
        for (int y = 0; y < 20 && !dark; ++y) dark = qGray(img.pixel(x, y)) < 100;
    QVERIFY(dark);
}

void ProgressTest::stepPumpsEvents()
{
    TGradGaug g;
    g.setMaxValue(1000);
    QTest::qWait(kEventPumpInterval + 5); // events last ran long enough ago
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    g.stepBy(1);
    QVERIFY(ran);
    for (int i = 0; i < 500; ++i) g.stepBy(1);
    QCOMPARE(g.progress(), 501);
}

void ProgressTest::statusBarModes()
{
    TProgressStatusbar sb;
    sb.setPanels(3, 50);
    sb.resize(400, 24);
    sb.show();
    QVERIFY(sb.panel(0)->isVisible());
    QVERIFY(!sb.gauge()->isVisible());

    sb.startProgress("Ждите...", 400, ProgressCaption::Percent);
    QCOMPARE(sb.mode(), StatusMode::Progressbar);
    QVERIFY(!sb.panel(0)->isVisible());
    QVERIFY(sb.gauge()->isVisible() && sb.captionPanel()->isVisible());
    QCOMPARE(sb.captionPanel()->width(), sb.fontMetrics().horizontalAdvance("Ждите...") + 5);
    QCOMPARE(sb.maxValue(), 400);
    QCOMPARE(sb.progress(), 0);
    sb.stepBy(100);
    QCOMPARE(sb.gauge()->captionText(), QString("25%"));

    sb.setLabelWidth(80);
    QCOMPARE(sb.captionPanel()->width(), 80);

    sb.setMode(StatusMode::Statusbar);
    QVERIFY(sb.panel(2)->isVisible());
    QVERIFY(!sb.gauge()->isVisible());
    QCOMPARE(sb.progress(), 100); // kept while hidden
    sb.startProgress("Ждите...", 10, ProgressCaption::Percent);
    QCOMPARE(sb.progress(), 0);
}

QTEST_MAIN(ProgressTest)
#include "test_progress.moc"
