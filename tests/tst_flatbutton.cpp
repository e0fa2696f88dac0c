#include "FlatButton/FlatButtonLayout.h"
#include "FlatButton/FlatButtonPress.h"
#include "FlatButton/SYFlatButton.h"

#include <QSignalSpy>
#include <QWidget>
#include <QtTest>

namespace {

const QColor normal(14, 123, 196);
const QColor highlight(31, 141, 214);

} // namespace

class TestFlatButton : public QObject
{
    Q_OBJECT

private slots:
    void pressTable_data();
    void pressTable();
    void disabledButton();
    void equalColoursAddNoAnimation();
    void layoutTable_data();
    void layoutTable();
    void setFrameMovesOnlyTheTitle();
};

void TestFlatButton::pressTable_data()
{
    QTest::addColumn<QString>("events"); // p press, x exit, e enter, r release
    QTest::addColumn<bool>("momentary");
    QTest::addColumn<int>("startState");
    QTest::addColumn<QString>("states"); // the state after each event
    QTest::addColumn<int>("actions");
    QTest::newRow("momentary click") << "pr" << true << 0 << "10" << 1;
    QTest::newRow("toggle click") << "pr" << false << 0 << "11" << 1;
    QTest::newRow("toggle click from on") << "pr" << false << 1 << "00" << 1;
    QTest::newRow("mixed flips to on") << "pr" << false << -1 << "11" << 1;
    QTest::newRow("press, leave, release cancels") << "pxr" << true << 0 << "100" << 0;
    QTest::newRow("re-entering does not press again") << "pxer" << true << 0 << "1000" << 0;
    QTest::newRow("toggle cancelled") << "pxer" << false << 0 << "1000" << 0;
    QTest::newRow("release without press") << "r" << true << 0 << "0" << 0;
    QTest::newRow("enter and leave without press") << "ex" << true << 0 << "00" << 0;
    QTest::newRow("enter while pressed flips") << "per" << true << 0 << "101" << 1;
}

void TestFlatButton::pressTable()
{
    QFETCH(QString, events);
    QFETCH(bool, momentary);
    QFETCH(int, startState);
    QFETCH(QString, states);
    QFETCH(int, actions);
    SYFlatButton button;
    button.setBackgroundNormalColor(normal);
    button.setBackgroundHighlightColor(highlight);
    button.setMomentary(momentary);
    button.setState(startState);
    QSignalSpy clicked(&button, &QAbstractButton::clicked);
    for (qsizetype i = 0; i < events.size(); ++i) {
        switch (events[i].toLatin1()) {
        case 'p':
            button.mouseDown(nullptr);
            break;
        case 'x':
            button.mouseExited(nullptr);
            break;
        case 'e':
            button.mouseEntered(nullptr);
            break;
        default:
            button.mouseUp(nullptr);
        }
        QCOMPARE(button.state(), states[i].digitValue());
        // The colour set follows every flip.
        QCOMPARE(button.layer()->backgroundColor(), button.state() == 1 ? highlight : normal);
    }
    QCOMPARE(clicked.count(), actions);
    QVERIFY(!button.mouseDown());
}

void TestFlatButton::disabledButton()
{
    QWidget parent;
    parent.setEnabled(false);
    SYFlatButton button(&parent);
    QCOMPARE(button.alphaValue(), 0.5);
    QVERIFY(!button.hitTest(QPointF(1, 1)));
    QSignalSpy clicked(&button, &QAbstractButton::clicked);
    button.mouseDown(nullptr);
    button.mouseUp(nullptr);
    QCOMPARE(button.state(), 0);
    QCOMPARE(clicked.count(), 0);
    // The alpha is decided at creation only.
    parent.setEnabled(true);
    button.resize(10, 10);
    QVERIFY(button.hitTest(QPointF(1, 1)));
    QCOMPARE(button.alphaValue(), 0.5);
    QCOMPARE(SYFlatButton().alphaValue(), 1.0);
}

void TestFlatButton::equalColoursAddNoAnimation()
{
    SYFlatButton button;
    QCOMPARE(button.layer()->backgroundColor(), QColor(Qt::red));
    button.setOffAnimateDuration(0.25);
    button.setBackgroundNormalColor(normal);
    const auto animations = button.layer()->animations();
    QCOMPARE(animations.size(), 1);
    const FlatColorAnimation animation = animations.value(QStringLiteral("backgroundColor"));
    QCOMPARE(animation.fromValue, QColor(Qt::red));
    QCOMPARE(animation.toValue, normal);
    QCOMPARE(animation.duration, 0.25);
    QVERIFY(!animation.removedOnCompletion);
    // The model value is the target at once.
    QCOMPARE(button.layer()->backgroundColor(), normal);
    // Same colour again: the running animations go and none is added.
    button.setBackgroundNormalColor(normal);
    QVERIFY(button.layer()->animations().isEmpty());
    // A colour of the set not in use changes nothing visible.
    button.setBackgroundHighlightColor(highlight);
    QVERIFY(button.layer()->animations().isEmpty());
    QCOMPARE(button.layer()->backgroundColor(), normal);
}

void TestFlatButton::layoutTable_data()
{
    QTest::addColumn<double>("W");
    QTest::addColumn<int>("p");
    QTest::addColumn<bool>("hug");
    QTest::addColumn<QPointF>("image");
    QTest::addColumn<QPointF>("title");
    QTest::addColumn<QPointF>("maskAt");
    QTest::addColumn<QPointF>("titleAt");
    // H 41, image 10 x 8, title 30.2 x 12.6, spacing 3.
    const struct
    {
        int p;
        bool hug;
        QPointF image, title, maskAt, titleAt;
    } rows[] = {
        {0, true, {0, 0}, {35.4, 14.2}, {0, 0}, {35, 14}},
        {1, false, {45.5, 16.5}, {0, 0}, {46, 17}, {0, 0}},
        {2, true, {27.4, 16.5}, {43.4, 14.2}, {27, 17}, {43, 14}},
        {2, false, {3, 16.5}, {67.8, 14.2}, {3, 17}, {68, 14}},
        {3, true, {63.6, 16.5}, {27.4, 14.2}, {64, 17}, {27, 14}},
        {3, false, {88, 16.5}, {3, 14.2}, {88, 17}, {3, 14}},
        {4, true, {45.5, 25.8}, {35.4, 7.2}, {46, 26}, {35, 7}},
        {4, false, {45.5, 30}, {35.4, 3}, {46, 30}, {35, 3}},
        {5, true, {45.5, 7.2}, {35.4, 21.2}, {46, 7}, {35, 21}},
        {5, false, {45.5, 3}, {35.4, 25.4}, {46, 3}, {35, 25}},
        {6, true, {45.5, 16.5}, {35.4, 14.2}, {46, 17}, {35, 14}},
        {6, false, {45.5, 16.5}, {35.4, 14.2}, {46, 17}, {35, 14}},
        {7, true, {27.4, 16.5}, {43.4, 14.2}, {27, 17}, {43, 14}},
        {7, false, {3, 16.5}, {67.8, 14.2}, {3, 17}, {68, 14}},
        {8, true, {63.6, 16.5}, {27.4, 14.2}, {64, 17}, {27, 14}},
        {8, false, {88, 16.5}, {3, 14.2}, {88, 17}, {3, 14}},
        {9, true, {0, 0}, {0, 0}, {0, 0}, {0, 0}},
        {9, false, {0, 0}, {0, 0}, {0, 0}, {0, 0}},
    };
    for (const auto& row : rows) {
        QTest::addRow("p%d %s", row.p, row.hug ? "hug" : "apart")
            << 101.0 << row.p << row.hug << row.image << row.title << row.maskAt << row.titleAt;
    }
    // Halves go away from zero on both sides.
    QTest::newRow("negative half") << 5.0 << 1 << true << QPointF(-2.5, 16.5) << QPointF(0, 0) << QPointF(-3, 17)
                                   << QPointF(0, 0);
}

void TestFlatButton::layoutTable()
{
    QFETCH(double, W);
    QFETCH(int, p);
    QFETCH(bool, hug);
    QFETCH(QPointF, image);
    QFETCH(QPointF, title);
    QFETCH(QPointF, maskAt);
    QFETCH(QPointF, titleAt);
    const FlatButtonLayout::Input in{W, 41, 10, 8, 30.2, 12.6, 3, p, hug};
    const auto near = [](QPointF a, QPointF b) {
        return qAbs(a.x() - b.x()) < 1e-9 && qAbs(a.y() - b.y()) < 1e-9;
    };
    QVERIFY(near(FlatButtonLayout::imageOrigin(in), image));
    QVERIFY(near(FlatButtonLayout::titleOrigin(in), title));
    QCOMPARE(FlatButtonLayout::maskFrame(in), QRectF(maskAt, QSizeF(10, 8)));
    QCOMPARE(FlatButtonLayout::titleFrame(in), QRectF(titleAt, QSizeF(31, 13)));
}

void TestFlatButton::setFrameMovesOnlyTheTitle()
{
    SYFlatButton button;
    QImage image(10, 8, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    button.setFrame(QRect(0, 0, 100, 40));
    button.setTitle(QStringLiteral("Join"));
    button.setImage(image);
    button.setImagePosition(2);
    button.setImageHugsTitle(false);
    button.setSpacing(4);
    const QRectF mask = button.imageLayer()->mask()->frame();
    const QRectF title = button.titleLayer()->frame();
    QCOMPARE(button.layer()->sublayers(),
             (std::vector<FlatLayer*>{button.imageLayer(), button.titleLayer()})); // the title lies above
    button.setFrame(QRect(0, 0, 160, 60));
    QCOMPARE(button.imageLayer()->mask()->frame(), mask);
    QVERIFY(button.titleLayer()->frame() != title);
    QVERIFY(button.titleLayer()->frame().x() > title.x());
    // Image position 1 removes the title; 0 removes the image.
    button.setImagePosition(1);
    QCOMPARE(button.layer()->sublayers(), std::vector<FlatLayer*>{button.imageLayer()});
    button.setImagePosition(0);
    QCOMPARE(button.layer()->sublayers(), std::vector<FlatLayer*>{button.titleLayer()});
}

QTEST_MAIN(TestFlatButton)
#include "tst_flatbutton.moc"
