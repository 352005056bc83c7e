// SPDX-License-Identifier: GPL-3.0-or-later
// The translations: complete, in step with the program's texts, and in use for their language.
#include "ui/Translations.h"
#include "core/Texts.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {

struct Message
{
    QString source;
    QString translation;
    QString type; // "unfinished", "vanished", "obsolete" or empty when done
};

QList<Message> messagesIn(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<Message> messages;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"source") {
            messages.append({xml.readElementText(), {}, {}});
        } else if (xml.name() == u"translation" && !messages.isEmpty()) {
            messages.last().type = xml.attributes().value(QStringLiteral("type")).toString();
            messages.last().translation = xml.readElementText();
        }
    }
    return messages;
}

// The %1, %2... of a text, sorted; a translation may move them but not drop or add one.
QStringList placeholdersOf(const QString& text)
{
    static const QRegularExpression placeholder(QStringLiteral("%\\d"));
    QStringList found;
    for (const QRegularExpressionMatch& match : placeholder.globalMatch(text))
        found.append(match.captured());
    found.sort();
    return found;
}

// Texts said after another start with a space, and some labels end with one; both must stay.
bool sameEdges(const QString& source, const QString& translation)
{
    return source.startsWith(u' ') == translation.startsWith(u' ') &&
           source.endsWith(u' ') == translation.endsWith(u' ');
}

const QString germanFile = QStringLiteral(CUEWELL_SOURCE_DIR "/translations/cuewell_de.ts");

} // namespace

class TranslationsTest : public QObject
{
    Q_OBJECT

private slots:
    void everyTextHasAGermanTranslationThatKeepsItsPlaceholders()
    {
        const QList<Message> messages = messagesIn(germanFile);
        QVERIFY(messages.size() > 100);
        for (const Message& message : messages) {
            const QByteArray what = message.source.toUtf8();
            QVERIFY2(message.type.isEmpty(), what.constData());
            QVERIFY2(!message.translation.trimmed().isEmpty(), what.constData());
            QVERIFY2(placeholdersOf(message.source) == placeholdersOf(message.translation),
                     what.constData());
            QVERIFY2(sameEdges(message.source, message.translation), what.constData());
        }
    }

    void theTranslationFileHoldsEveryTextOfTheProgram()
    {
        // What lupdate finds in the texts' header today, against what the committed file holds:
        // a text added or changed without its translation fails here.
        QTemporaryDir dir;
        const QString fresh = dir.filePath(QStringLiteral("fresh_de.ts"));
        QProcess lupdate;
        lupdate.start(QStringLiteral(CUEWELL_LUPDATE),
                      {QStringLiteral(CUEWELL_SOURCE_DIR "/src/core/Texts.h"),
                       QStringLiteral("-ts"), fresh, QStringLiteral("-locations"),
                       QStringLiteral("none")});
        QVERIFY(lupdate.waitForFinished(60'000));
        QCOMPARE(lupdate.exitCode(), 0);

        QSet<QString> committed;
        for (const Message& message : messagesIn(germanFile))
            committed.insert(message.source);
        const QList<Message> found = messagesIn(fresh);
        QVERIFY(found.size() > 100);
        for (const Message& message : found)
            QVERIFY2(committed.contains(message.source), message.source.toUtf8().constData());
        QCOMPARE(committed.size(), found.size());
    }

    void aGermanDesktopShowsGermanTextsAndOthersStayEnglish()
    {
        {
            const Translations german(QLocale(QLocale::German, QLocale::Austria));
            QVERIFY(german.translatesCuewell());
            QCOMPARE(Texts::stop(), QStringLiteral("Anhalten"));
            QCOMPARE(Texts::stepReady(12), QStringLiteral("Schritt 12 bereit."));
            // A value that brings a placeholder of its own is not taken for the next one.
            QCOMPARE(Texts::serverSilent(QStringLiteral("%2 server"), 60'000),
                     QStringLiteral("%2 server hat nicht innerhalb von 1 Minute geantwortet"));
        }
        QCOMPARE(Texts::stop(), QStringLiteral("Stop"));
        for (const QLocale& other : {QLocale(QLocale::English, QLocale::UnitedStates),
                                     QLocale(QLocale::Icelandic), QLocale::c()}) {
            const Translations none(other);
            QVERIFY(!none.translatesCuewell());
            QCOMPARE(Texts::stepReady(12), QStringLiteral("Step 12 ready."));
        }
    }
};

QTEST_GUILESS_MAIN(TranslationsTest)
#include "TranslationsTest.moc"
