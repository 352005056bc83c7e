// SPDX-License-Identifier: GPL-3.0-or-later
// What Cuewell's KWin script and KWin's screenshot interface send, as Cuewell reads it: the
// window list (order, what is left out, focus, ids kept while a window lives), the script as
// it is loaded, and the pictures KWin writes.
#include "platform/linux/kwin/KWinReport.h"
#include "platform/linux/kwin/KWinScreenShot.h"
#include "platform/linux/kwin/KWinScript.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>

#include <cstring>

namespace {

QJsonObject window(const QString& id, int pid, const QString& kind, QRect frame, double stacking,
                   bool minimized = false)
{
    return {{"id", id},
            {"pid", pid},
            {"name", QStringLiteral("app%1").arg(pid)},
            {"kind", kind},
            {"frame", QJsonArray{frame.x(), frame.y(), frame.width(), frame.height()}},
            {"buffer",
             QJsonArray{frame.x() - 10, frame.y() - 10, frame.width() + 20, frame.height() + 20}},
            {"minimized", minimized},
            {"stacking", stacking}};
}

QByteArray message(const QString& active, const QJsonArray& windows)
{
    return QJsonDocument(QJsonObject{{"active", active}, {"windows", windows}}).toJson();
}

} // namespace

class KWinMessagesTest : public QObject
{
    Q_OBJECT

private slots:
    void theListIsReadFrontToBackWithoutWhatCannotBeGuided()
    {
        KWinWindowIds ids;
        const auto windows =
            KWinReport::windowsOf(message(QStringLiteral("{b}"),
                                          {window("{a}", 10, "window", {0, 0, 300, 200}, 1),
                                           window("{desk}", 11, "desktop", {0, 0, 1280, 800}, 0),
                                           window("{b}", 12, "window", {50, 50, 300, 200}, 3),
                                           window("{menu}", 12, "popup", {60, 80, 120, 200}, 4),
                                           window("{small}", 13, "window", {0, 0, 10, 10}, 5, true),
                                           window("{bar}", 14, "dock", {0, 760, 1280, 40}, 2)}),
                                  ids);
        QVERIFY(windows);
        QList<qint64> pids;
        for (const CompositorWindow& w : *windows)
            pids.append(w.pid);
        QCOMPARE(pids, (QList<qint64>{12, 12, 14, 10}));
        QVERIFY((*windows)[0].popup);
        QVERIFY(!(*windows)[1].popup && (*windows)[1].focused);
        QCOMPARE((*windows)[1].frame, QRect(50, 50, 300, 200));
        QCOMPARE((*windows)[1].buffer, QRect(40, 40, 320, 220));
        QCOMPARE((*windows)[1].layer, 0);
        QCOMPARE((*windows)[2].layer, 1); // the panel floats above applications
        QVERIFY(!(*windows)[3].focused);
    }

    void aWindowKeepsItsNumberWhileItLivesAndNoNumberComesTwice()
    {
        KWinWindowIds ids;
        const auto first =
            KWinReport::windowsOf(message({}, {window("{a}", 10, "window", {0, 0, 9, 9}, 0),
                                               window("{b}", 11, "window", {0, 0, 9, 9}, 1)}),
                                  ids);
        const auto second =
            KWinReport::windowsOf(message({}, {window("{b}", 11, "window", {5, 5, 9, 9}, 0)}), ids);
        QVERIFY(first && second);
        const quint64 a = first->at(1).id;
        const quint64 b = first->at(0).id;
        QCOMPARE(second->at(0).id, b);
        QCOMPARE(ids.handleOf(b), QStringLiteral("{b}"));
        QVERIFY(!ids.handleOf(a)); // closed, forgotten
        const auto third =
            KWinReport::windowsOf(message({}, {window("{a}", 10, "window", {0, 0, 9, 9}, 0)}), ids);
        QVERIFY(third);
        // The same handle listed again is a window Cuewell has not seen: a new number.
        QVERIFY(third->at(0).id != a && third->at(0).id != b);
    }

    void aMessageTheScriptCannotHaveSentIsRefused_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::newRow("not JSON") << QByteArray("{\"windows\": [");
        QTest::newRow("no list") << QJsonDocument(QJsonObject{{"active", "{a}"}}).toJson();
        QTest::newRow("a list of something else")
            << QJsonDocument(QJsonObject{{"windows", "all"}}).toJson();
        QJsonArray many;
        for (int i = 0; i <= KWinReport::maxWindows; ++i)
            many.append(window(QStringLiteral("{%1}").arg(i), 10, "window", {0, 0, 9, 9}, i));
        QTest::newRow("more windows than a desktop has") << message({}, many);
        QTest::newRow("too long")
            << QJsonDocument(QJsonObject{{"windows", QJsonArray{}},
                                         {"pad", QString(KWinReport::maxMessageBytes, u'x')}})
                   .toJson();
    }

    void aMessageTheScriptCannotHaveSentIsRefused()
    {
        QFETCH(QByteArray, json);
        KWinWindowIds ids;
        QVERIFY(!KWinReport::windowsOf(json, ids));
    }

    void windowsWithoutPlaceOrOwnerAreLeftOut()
    {
        QJsonObject noFrame = window("{a}", 10, "window", {0, 0, 9, 9}, 0);
        noFrame.insert("frame", QJsonArray{1, 2, 3});
        QJsonObject textFrame = window("{b}", 10, "window", {0, 0, 9, 9}, 0);
        textFrame.insert("frame", QJsonArray{"0", "0", "9", "9"});
        QJsonObject noPid = window("{c}", 0, "window", {0, 0, 9, 9}, 0);
        QJsonObject noId = window("", 10, "window", {0, 0, 9, 9}, 0);
        QJsonObject negative = window("{d}", 10, "window", {0, 0, 9, 9}, 0);
        negative.insert("frame", QJsonArray{0, 0, -5, 9});
        KWinWindowIds ids;
        const auto windows =
            KWinReport::windowsOf(message({}, {noFrame, textFrame, noPid, noId, negative,
                                               window("{ok}", 10, "window", {1, 2, 3, 4}, 0)}),
                                  ids);
        QVERIFY(windows);
        QCOMPARE(windows->size(), 1);
        QCOMPARE(windows->at(0).frame, QRect(1, 2, 3, 4));
    }

    // The script is loaded with Cuewell's bus name and pid in place; nothing else is left to
    // fill in, and only Cuewell's own script holds the hot key.
    void theScriptIsLoadedForOneConnection()
    {
        const QString own = KWinScript::sourceFor(QStringLiteral(":1.42"), 4242, true);
        QVERIFY(own.contains(QStringLiteral("const cuewell = \":1.42\";")));
        QVERIFY(own.contains(QStringLiteral("const cuewellPid = 4242;")));
        QVERIFY(own.contains(QStringLiteral("const takesHotKey = true;")));
        QVERIFY2(!own.contains(QRegularExpression(QStringLiteral("__[A-Z_]+__"))),
                 "a placeholder is left in the script");
        QVERIFY(KWinScript::sourceFor(QStringLiteral(":1.7"), 1, false)
                    .contains(QStringLiteral("const takesHotKey = false;")));
    }

    void thePicturesKWinWritesAreReadAsItDescribesThem()
    {
        // Two pixels a row, rows padded to 12 bytes, blue then red, as KWin writes them on a
        // little-endian machine.
        QByteArray bytes(24, '\0');
        const quint32 pixels[] = {0xff0000ff, 0xffff0000, 0xff00ff00, 0x80000000};
        std::memcpy(bytes.data(), &pixels[0], 8);
        std::memcpy(bytes.data() + 12, &pixels[2], 8);
        QVariantMap results{{"type", "raw"}, {"width", 2u},  {"height", 2u},
                            {"stride", 12u}, {"scale", 1.0}, {"format", 5u}};
        const QImage image = KWinScreenShot::imageOf(results, bytes);
        QCOMPARE(image.size(), QSize(2, 2));
        QCOMPARE(image.pixel(0, 0), 0xff0000ffu);
        QCOMPARE(image.pixel(1, 0), 0xffff0000u);
        QCOMPARE(image.pixelColor(1, 1).alpha(), 0x80);

        // What the bytes cannot hold, or no picture at all, is no picture.
        QVERIFY(KWinScreenShot::imageOf(results, bytes.left(20)).isNull());
        QVariantMap huge = results;
        huge.insert("width", 100000u);
        QVERIFY(KWinScreenShot::imageOf(huge, bytes).isNull());
        QVariantMap narrow = results;
        narrow.insert("stride", 4u);
        QVERIFY(KWinScreenShot::imageOf(narrow, bytes).isNull());
        QVariantMap unknownFormat = results;
        unknownFormat.insert("format", uint(QImage::Format_RGB16));
        QVERIFY(KWinScreenShot::imageOf(unknownFormat, bytes).isNull());
        QVERIFY(KWinScreenShot::imageOf({}, bytes).isNull());
    }
};

QTEST_GUILESS_MAIN(KWinMessagesTest)
#include "KWinMessagesTest.moc"
