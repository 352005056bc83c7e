// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up from the settings store, model discovery across providers, and focus tracking.
#include "SessionRig.h"
#include "core/Texts.h"

#include <QSignalSpy>
#include <QTest>

class GuideModelStateTest : public QObject
{
    Q_OBJECT

private slots:
    void startUpFromAnEmptyStoreWritesNothing()
    {
        SessionRig rig;
        rig.permissions.accessibility = false;
        rig.modelServer.held = true; // keep the first listing pending
        GuideModel& model = rig.start();
        QCOMPARE(model.provider(), Provider::ollama);
        QCOMPARE(model.selectedModel(), QString());
        QVERIFY(model.showExplainer());
        QCOMPARE(model.status(), Texts::typeAGoal());
        QCOMPARE(model.serverState(), ServerState::unknown);
        QVERIFY(model.hasScreenAccess());
        QVERIFY(!model.hasAXAccess());
        QCOMPARE(model.targetName(), QStringLiteral("Mousepad"));
        QVERIFY(rig.modelServer.listed.isEmpty()); // queued, not run inside the constructor
        QTRY_COMPARE(rig.modelServer.listed.size(), 1);
        rig.settings.sync();
        QVERIFY(rig.settings.allKeys().isEmpty());
        rig.modelServer.release();
        QTRY_COMPARE(model.serverState(), ServerState::running);
    }

    void startUpFromAFilledStore()
    {
        SessionRig rig;
        rig.settings.setValue(QStringLiteral("provider"), QStringLiteral("LM Studio"));
        rig.settings.setValue(QStringLiteral("model.Ollama"), QStringLiteral("ollama-model"));
        rig.settings.setValue(QStringLiteral("model.LM Studio"), QStringLiteral("qwen2.5-vl-7b"));
        rig.settings.setValue(QStringLiteral("seenExplainer"), true);
        rig.modelServer.listings.insert_or_assign(
            Provider::lmStudio,
            QStringList{QStringLiteral("a-text-model"), QStringLiteral("qwen2.5-vl-7b")});
        GuideModel& model = rig.start();
        QCOMPARE(model.provider(), Provider::lmStudio);
        QCOMPARE(model.selectedModel(), QStringLiteral("qwen2.5-vl-7b"));
        QVERIFY(!model.showExplainer());
        QTRY_COMPARE(model.serverState(), ServerState::running);
        QCOMPARE(model.selectedModel(), QStringLiteral("qwen2.5-vl-7b"));
    }

    void providerTextIsMatchedExactly()
    {
        SessionRig rig;
        rig.settings.setValue(QStringLiteral("provider"), QStringLiteral("lm studio"));
        QCOMPARE(rig.start().provider(), Provider::ollama);
        QCOMPARE(Providers::fromRawValue(QStringLiteral("ollama")), std::nullopt);
        QCOMPARE(Providers::fromRawValue(QStringLiteral("LM Studio")), Provider::lmStudio);
    }

    void everyAssignmentIsAnnounced()
    {
        SessionRig rig;
        GuideModel& model = rig.start();
        QSignalSpy goal(&model, &GuideModel::goalChanged);
        QSignalSpy explainer(&model, &GuideModel::showExplainerChanged);
        model.setGoal(QString());
        model.setGoal(QString());
        model.setShowExplainer(model.showExplainer());
        QCOMPARE(goal.size(), 2);
        QCOMPARE(explainer.size(), 1);
    }

    void switchingProviderLoadsItsRememberedModelAndRefreshes()
    {
        SessionRig rig;
        rig.settings.setValue(QStringLiteral("model.LM Studio"), QStringLiteral("remembered"));
        rig.modelServer.listings.insert_or_assign(Provider::ollama,
                                                  QStringList{QStringLiteral("llava:7b")});
        GuideModel& model = rig.start();
        QTRY_COMPARE(model.serverState(), ServerState::running);

        rig.modelServer.held = true;
        model.setProvider(Provider::lmStudio);
        QVERIFY(model.models().isEmpty());
        QCOMPARE(model.selectedModel(), QStringLiteral("remembered"));
        QCOMPARE(model.serverState(), ServerState::unknown);
        QCOMPARE(rig.settings.value(QStringLiteral("provider")).toString(),
                 QStringLiteral("LM Studio"));

        // A listing for LM Studio that lands after the user went back to Ollama changes nothing.
        QTRY_COMPARE(rig.modelServer.listed.last(), Provider::lmStudio);
        rig.modelServer.listings.insert_or_assign(Provider::lmStudio,
                                                  QStringList{QStringLiteral("other")});
        rig.modelServer.held = false;
        model.setProvider(Provider::ollama);
        QTRY_COMPARE(model.serverState(), ServerState::running);
        rig.modelServer.release(); // the stale LM Studio listing finishes now
        QTRY_COMPARE(rig.modelServer.listingsAnswered, rig.modelServer.listed.size());
        QCOMPARE(model.provider(), Provider::ollama);
        QCOMPARE(model.models(), QStringList{QStringLiteral("llava:7b")});
        QCOMPARE(rig.settings.value(QStringLiteral("model.LM Studio")).toString(),
                 QStringLiteral("remembered"));
    }

    void discoveryChoosesAModel_data()
    {
        QTest::addColumn<QString>("remembered");
        QTest::addColumn<QStringList>("listing");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("remembered still offered")
            << "llama3.2:3b" << QStringList{"gemma3:4b", "llama3.2:3b"} << "llama3.2:3b";
        QTest::newRow("vision preferred")
            << "gone" << QStringList{"llama3.2:3b", "qwen2.5vl:7b"} << "qwen2.5vl:7b";
        QTest::newRow("no vision model") << "gone" << QStringList{"b", "c"} << "b";
        QTest::newRow("empty listing") << "gone" << QStringList{} << "";
    }

    void discoveryChoosesAModel()
    {
        QFETCH(QString, remembered);
        QFETCH(QStringList, listing);
        QFETCH(QString, chosen);
        SessionRig rig;
        rig.settings.setValue(QStringLiteral("model.Ollama"), remembered);
        rig.modelServer.listings.insert_or_assign(Provider::ollama, listing);
        GuideModel& model = rig.start();
        QTRY_COMPARE(model.serverState(), ServerState::running);
        QCOMPARE(model.models(), listing);
        QCOMPARE(model.selectedModel(), chosen);
        QCOMPARE(rig.settings.value(QStringLiteral("model.Ollama")).toString(), chosen);
    }

    void failedListingKeepsTheRememberedModel()
    {
        SessionRig rig;
        rig.settings.setValue(QStringLiteral("model.Ollama"), QStringLiteral("llava:7b"));
        rig.modelServer.listings.insert_or_assign(Provider::ollama,
                                                  Failure{QStringLiteral("refused")});
        GuideModel& model = rig.start();
        QTRY_COMPARE(model.serverState(), ServerState::down);
        QVERIFY(model.models().isEmpty());
        QCOMPARE(model.selectedModel(), QStringLiteral("llava:7b"));
    }

    void focusFollowsOrdinaryApplicationsOnly()
    {
        SessionRig rig;
        rig.windows.frontmost = RunningApp{rig.windows.pid, QStringLiteral("Cuewell"), true};
        GuideModel& model = rig.start();
        QVERIFY(!model.targetApp()); // Cuewell itself is never the target
        QCOMPARE(model.targetName(), QString());

        rig.windows.activate({7, QStringLiteral("Calculator"), true});
        QCOMPARE(model.targetName(), QString()); // queued, applied after the handler returns
        QTRY_COMPARE(model.targetName(), QStringLiteral("Calculator"));
        QVERIFY(rig.windows.prepared.isEmpty()); // nothing is touched while Cuewell is idle

        // Cuewell and a panel come and go in front; only the next ordinary app is followed.
        QList<qint64> followed;
        connect(&model, &GuideModel::targetNameChanged, &model,
                [&] { followed.append(model.targetApp()->pid); });
        rig.windows.activate({rig.windows.pid, QStringLiteral("Cuewell"), true});
        rig.windows.activate({8, QStringLiteral("Panel"), false});
        rig.windows.activate({9, QString(), true});
        QTRY_COMPARE(followed, QList<qint64>{9});
        QCOMPARE(model.targetName(), QString());
    }

    void theTargetsWindowsAreReadyOnlyWhileTheyMayBeNeeded()
    {
        SessionRig rig;
        GuideModel& model = rig.start();
        model.setPanelOpen(true); // the panel comes up over the editor
        QCOMPARE(rig.windows.prepared.last(), SessionRig::targetPid);
        rig.windows.activate({7, QStringLiteral("Calculator"), true});
        QTRY_COMPARE(rig.windows.prepared.last(), 7); // the new target, at once
        model.setPanelOpen(false);
        QCOMPARE(rig.windows.prepared.last(), 0); // all let go
        model.setGoal(QStringLiteral("add"));
        model.submit(); // a session keeps them ready with the panel closed
        QCOMPARE(rig.windows.prepared.last(), 7);
        model.stop();
        QCOMPARE(rig.windows.prepared.last(), 0);
    }

    void activationDuringAStepChangesOnlyTheName()
    {
        SessionRig rig;
        GuideModel& model = rig.start();
        QTRY_COMPARE(model.serverState(), ServerState::running);
        rig.modelServer.held = true;
        model.setGoal(QStringLiteral("save"));
        model.submit();
        QTRY_COMPARE(rig.modelServer.asked.size(), 1);
        rig.windows.activate({77, QStringLiteral("Calculator"), true});
        QTRY_COMPARE(model.targetName(), QStringLiteral("Calculator"));
        rig.modelServer.release();
        QTRY_VERIFY(!model.isBusy());
        QCOMPARE(rig.windows.captures.size(), 1);
        QCOMPARE(rig.windows.captures.first().first, quint64(7)); // the step's own window
        QCOMPARE(model.steps().size(), 1);
    }
};

QTEST_GUILESS_MAIN(GuideModelStateTest)
#include "GuideModelStateTest.moc"
