// SPDX-License-Identifier: GPL-3.0-or-later
// Whole steps through fakes of every port: what the user sees in the status line, what is
// recorded and highlighted, and what is left alone when something fails.
#include "SessionRig.h"
#include "core/Texts.h"
#include "session/StepObserver.h"

#include <QElapsedTimer>
#include <QTimer>

#include <QTest>

class GuideSessionTest : public QObject
{
    Q_OBJECT

private:
    // Submits `goal` and waits until the step has ended.
    // Whether the click just made is followed: the next step is asked for once the application
    // has been quiet for a while.
    static bool followed(SessionRig& rig)
    {
        const qsizetype asked = rig.modelServer.asked.size();
        QTest::qWait(3 * ClickFollower::settleSpells.quiet.count());
        return rig.modelServer.asked.size() > asked;
    }

    static void runFirstStep(SessionRig& rig, const QString& goal = QStringLiteral("save it"))
    {
        GuideModel& model = rig.model ? *rig.model : rig.start();
        QTRY_COMPARE(model.serverState(), ServerState::running);
        rig.statuses.clear();
        model.setGoal(goal);
        model.submit();
        QTRY_VERIFY(!model.isBusy() && !rig.statuses.isEmpty() &&
                    !rig.statuses.last().endsWith(Texts::ellipsis));
    }

private slots:
    void successfulStepShowsEveryStatusAndRecordsTheChoice()
    {
        SessionRig rig;
        rig.textRecognition.lines = {
            {QStringLiteral("Untitled document"), QRectF(0.1, 0.8, 0.5, 0.05)}};
        runFirstStep(rig, QStringLiteral("  save it \n"));
        GuideModel& model = *rig.model;

        QCOMPARE(rig.statuses,
                 QStringList({QStringLiteral("Reading Mousepad\u2026"),
                              Texts::readingTextOnScreen(), QStringLiteral("Asking llava:7b\u2026"),
                              QStringLiteral("Step 1 ready.")}));
        QCOMPARE(model.activeGoal(), QStringLiteral("save it"));
        QVERIFY(model.sessionActive());
        // Menu bar, window button, then the recognised line, numbered from 1.
        QCOMPARE(model.elements().size(), 3);
        QCOMPARE(model.elements()[1].title, QStringLiteral("Save"));
        QCOMPARE(model.elements()[2].source, GuideElement::Source::text);

        QCOMPARE(model.steps().size(), 1);
        const Step step = model.steps().first();
        QCOMPARE(step.number, 1);
        QCOMPARE(step.label, QStringLiteral("button \u201CSave\u201D"));
        QCOMPARE(step.explanation, QStringLiteral("Click Save."));
        QCOMPARE(step.frame, QRectF(120, 130, 60, 24));
        QVERIFY(!step.manual);
        QCOMPARE(rig.overlay.shown.size(), 1);
        QCOMPARE(rig.overlay.shown.first().title, step.label);

        // A vision model gets the window as a JPEG; the prompt carries the goal and the list.
        QCOMPARE(rig.modelServer.asked.size(), 1);
        const ChatRequest& asked = rig.modelServer.asked.first();
        QVERIFY(asked.imageBase64 && asked.imageBase64->startsWith(QStringLiteral("/9j/")));
        QVERIFY(asked.system.endsWith(QStringLiteral("\nGoal: save it\n")));
        QVERIFY(asked.user.contains(QStringLiteral("2 | button | Save | 50,42\n")));
        QCOMPARE(rig.windows.captures.first().second, QSize(800, 600));

        // The next step carries the history and numbers itself 2.
        rig.statuses.clear();
        model.nextStep();
        QTRY_COMPARE(rig.statuses.value(rig.statuses.size() - 1), QStringLiteral("Step 2 ready."));
        QCOMPARE(model.steps().size(), 2);
        QCOMPARE(model.steps()[1].number, 2);
        QVERIFY(rig.modelServer.asked[1].system.contains(
            QStringLiteral("1. button \u201CSave\u201D \u2014 Click Save.\n")));
    }

    // Without capture the panel says so from the start, never reads, and takes capture up as
    // soon as it comes (a desktop extension switched on later).
    void missingScreenAccessShowsExplainerWithoutReading()
    {
        SessionRig rig;
        rig.settings.setValue(QStringLiteral("seenExplainer"), true);
        rig.permissions.capture = false;
        GuideModel& model = rig.start();
        QVERIFY(model.showExplainer());
        QCOMPARE(model.status(), rig.permissions.captureAdvice().missing);
        const int readsAtStart = rig.accessibility.readCalls;
        model.setGoal(QStringLiteral("export"));
        model.submit();
        QTRY_VERIFY(!model.isBusy());
        QCOMPARE(model.status(), rig.permissions.captureAdvice().missing);
        QCOMPARE(rig.accessibility.readCalls, readsAtStart);
        QVERIFY(rig.windows.captures.isEmpty());

        rig.permissions.capture = true;
        rig.permissions.changed();
        QCOMPARE(model.status(), Texts::typeAGoal());
    }

    void noApplicationToObserve_data()
    {
        QTest::addColumn<bool>("targetQuits");
        QTest::newRow("nothing in front") << false;
        QTest::newRow("target quit, Cuewell in front") << true;
    }

    void noApplicationToObserve()
    {
        QFETCH(bool, targetQuits);
        SessionRig rig;
        if (!targetQuits)
            rig.windows.frontmost.reset();
        GuideModel& model = rig.start();
        if (targetQuits) {
            rig.windows.terminated.insert(SessionRig::targetPid);
            rig.windows.frontmost = RunningApp{rig.windows.pid, QStringLiteral("Cuewell"), true};
        }
        const QString nameBefore = model.targetName();
        model.setGoal(QStringLiteral("export"));
        model.submit();
        QTRY_COMPARE(model.status(), Texts::switchToApp());
        QCOMPARE(model.targetName(), nameBefore);
        QVERIFY(!model.isBusy());
    }

    void terminatedTargetFallsBackToTheFrontmostApplication()
    {
        SessionRig rig;
        GuideModel& model = rig.start();
        rig.windows.terminated.insert(SessionRig::targetPid);
        // The frontmost application has no name and is not an ordinary one: still observed.
        rig.windows.frontmost = RunningApp{SessionRig::targetPid + 1, QString(), false};
        rig.windows.windows =
            QList<WindowInfo>{{9, SessionRig::targetPid + 1, 0, SessionRig::windowFrame}};
        rig.textRecognition.lines = {{QStringLiteral("Hello"), QRectF(0, 0.5, 0.2, 0.1)}};
        rig.modelServer.reply = QStringLiteral(R"({"id": 1})");
        runFirstStep(rig);
        QCOMPARE(rig.statuses.first(), QStringLiteral("Reading app\u2026"));
        QCOMPARE(model.targetName(), QStringLiteral("app"));
        QCOMPARE(rig.windows.captures.last().first, quint64(9));
        QCOMPARE(model.targetApp()->pid, SessionRig::targetPid); // the target itself is kept
    }

    void captureFailureKeepsThePreviousList()
    {
        SessionRig rig;
        runFirstStep(rig);
        GuideModel& model = *rig.model;
        const QList<GuideElement> before = model.elements();
        QVERIFY(!before.isEmpty());

        rig.windows.pixels = Failure{QStringLiteral("The window is gone.")};
        model.nextStep();
        QTRY_COMPARE(model.status(), QStringLiteral("Screen capture failed: The window is gone."));
        QCOMPARE(model.elements(), before);
        QCOMPARE(model.steps().size(), 1);
        QVERIFY(rig.overlay.visible);
    }

    void emptyMergedListEndsTheStep()
    {
        SessionRig rig;
        rig.accessibility.trusted = false; // only recognised text is left, and it is too short
        rig.textRecognition.lines = {{QStringLiteral("X"), QRectF(0, 0.5, 0.1, 0.1)}};
        runFirstStep(rig);
        QCOMPARE(rig.statuses.last(), Texts::nothingRecognisable());
        QVERIFY(rig.model->elements().isEmpty());
        QVERIFY(rig.modelServer.asked.isEmpty());
    }

    void stopEndsTheStepInFlightAtEachWait_data()
    {
        QTest::addColumn<QString>("wait");
        QTest::newRow("reading the tree") << "reading";
        QTest::newRow("recognising text") << "recognising";
        QTest::newRow("listing models") << "listing";
        QTest::newRow("asking the model") << "asking";
    }

    void stopEndsTheStepInFlightAtEachWait()
    {
        // Stop takes effect at once wherever the step waits: Go works again right away, and
        // what the stopped step receives later changes nothing.
        QFETCH(QString, wait);
        SessionRig rig;
        // With no models listed, a step lists them again before it asks.
        if (wait == QLatin1String("listing"))
            rig.modelServer.listings.insert_or_assign(Provider::ollama, QStringList{});
        GuideModel& model = rig.start();
        QTRY_COMPARE(model.serverState(), ServerState::running);
        if (wait == QLatin1String("reading"))
            rig.accessibility.slowReadMs = 300;
        if (wait == QLatin1String("recognising"))
            rig.textRecognition.slowMs = 300;
        rig.modelServer.held = wait == QLatin1String("listing") || wait == QLatin1String("asking");
        model.setGoal(QStringLiteral("save it"));
        model.submit();
        if (wait == QLatin1String("reading"))
            QTRY_VERIFY(rig.accessibility.reading);
        else if (wait == QLatin1String("recognising"))
            QTRY_VERIFY(rig.textRecognition.calls > 0);
        else if (wait == QLatin1String("listing"))
            QTRY_VERIFY(rig.modelServer.listed.size() >= 2);
        else
            QTRY_COMPARE(rig.modelServer.asked.size(), 1);
        QVERIFY(model.isBusy());

        model.stop();
        QVERIFY(!model.isBusy());
        QVERIFY(!model.isWaitingForModel());
        QCOMPARE(model.status(), Texts::stopped());
        if (wait == QLatin1String("asking"))
            QTRY_COMPARE(rig.modelServer.cancelled, 1); // the request was ended, not left waiting

        // Whatever the stopped step was waiting for comes in now, and is dropped.
        rig.modelServer.release();
        QTest::qWait(400);
        QCOMPARE(model.status(), Texts::stopped());
        QVERIFY(model.steps().isEmpty());
        QVERIFY(model.elements().isEmpty());
        QVERIFY(!model.isBusy());
        QCOMPARE(rig.overlay.shown.size(), 0);

        // Go works at once, and its step is the only one that counts.
        rig.accessibility.slowReadMs = 0;
        rig.textRecognition.slowMs = 0;
        rig.modelServer.listings.insert_or_assign(Provider::ollama,
                                                  QStringList{QStringLiteral("llava:7b")});
        rig.modelServer.held = false;
        model.setGoal(QStringLiteral("save it again"));
        model.submit();
        QTRY_COMPARE(model.status(), QStringLiteral("Step 1 ready."));
        QCOMPARE(model.steps().size(), 1);
        QCOMPARE(rig.overlay.shown.size(), 1);
    }

    void aStepQueuedBeforeStopNeverRuns()
    {
        SessionRig rig;
        GuideModel& model = rig.start();
        QTRY_COMPARE(model.serverState(), ServerState::running);
        model.setGoal(QStringLiteral("save it"));
        model.submit();
        model.stop(); // before the queued step had its turn
        QTest::qWait(100);
        QVERIFY(rig.windows.captures.isEmpty());
        QVERIFY(rig.modelServer.asked.isEmpty());
        QCOMPARE(model.status(), Texts::stopped());
        QVERIFY(rig.overlay.shown.isEmpty());
    }

    void aNewGoalSupersedesTheStepInFlight()
    {
        SessionRig rig;
        GuideModel& model = rig.start();
        QTRY_COMPARE(model.serverState(), ServerState::running);
        rig.modelServer.held = true;
        model.setGoal(QStringLiteral("first"));
        model.submit();
        QTRY_COMPARE(rig.modelServer.asked.size(), 1);

        model.setGoal(QStringLiteral("second"));
        model.submit();
        QTRY_COMPARE(rig.modelServer.asked.size(), 2);
        QTRY_COMPARE(rig.modelServer.cancelled, 1);
        QVERIFY(rig.modelServer.asked[1].system.contains(QStringLiteral("\nGoal: second\n")));
        rig.modelServer.held = false;
        rig.modelServer.release();
        QTRY_COMPARE(model.status(), QStringLiteral("Step 1 ready."));
        QTest::qWait(50);
        QCOMPARE(model.steps().size(), 1);
        QCOMPARE(model.activeGoal(), QStringLiteral("second"));
    }

    void pickWhileAStepRunsRecordsAtOnce()
    {
        SessionRig rig;
        runFirstStep(rig);
        GuideModel& model = *rig.model;
        rig.modelServer.held = true;
        model.nextStep();
        QTRY_COMPARE(rig.modelServer.asked.size(), 2);

        const GuideElement file = model.elements().first();
        const QString statusBefore = model.status();
        model.pick(file);
        QCOMPARE(model.steps().size(), 2);
        QCOMPARE(model.steps()[1].explanation, Texts::youChoseThis());
        QVERIFY(model.steps()[1].manual);
        QCOMPARE(model.status(), statusBefore);

        rig.modelServer.release();
        QTRY_VERIFY(!model.isBusy());
        QCOMPARE(model.steps().size(), 3);
        QCOMPARE(model.status(), QStringLiteral("Step 3 ready.")); // numbered after the pick
        QCOMPARE(model.steps()[2].number, 3);
    }

    void pickAfterStopKeepsTheGoalAndStartsAgain()
    {
        SessionRig rig;
        runFirstStep(rig);
        GuideModel& model = *rig.model;
        const GuideElement file = model.elements().first();
        model.stop();
        model.setGoal(QStringLiteral("something else"));
        model.pick(file);
        QCOMPARE(model.activeGoal(), QStringLiteral("save it"));
        QVERIFY(model.sessionActive());
        QCOMPARE(model.steps().size(), 1);
        QCOMPARE(model.steps().first().label, QStringLiteral("menu bar item \u201CFile\u201D"));
    }

    void twoQuickSubmitsRunOneStepWithTheLaterGoal()
    {
        SessionRig rig;
        GuideModel& model = rig.start();
        QTRY_COMPARE(model.serverState(), ServerState::running);
        int stepsStarted = 0;
        connect(&model, &GuideModel::isBusyChanged, &model,
                [&] { stepsStarted += model.isBusy(); });
        // The step waits on the model server, as a real one does, so it is still running when
        // the second task starts.
        rig.modelServer.held = true;
        model.setGoal(QStringLiteral("first"));
        model.submit();
        model.setGoal(QStringLiteral("second"));
        model.submit();
        QCOMPARE(model.activeGoal(), QStringLiteral("second"));
        QTRY_COMPARE(rig.modelServer.asked.size(), 1);
        rig.modelServer.release();
        QTRY_COMPARE(model.status(), QStringLiteral("Step 1 ready."));
        QCOMPARE(stepsStarted, 1);
        QCOMPARE(rig.modelServer.asked.size(), 1);
        QVERIFY(rig.modelServer.asked.first().system.contains(QStringLiteral("\nGoal: second\n")));
    }

    void submitIgnoresBlankGoals()
    {
        SessionRig rig;
        GuideModel& model = rig.start();
        model.setGoal(QStringLiteral(" \n\t "));
        model.submit();
        model.nextStep();
        QCoreApplication::processEvents(); // a started step would run now
        QVERIFY(!model.sessionActive());
        QCOMPARE(model.status(), Texts::typeAGoal());
        QVERIFY(rig.statuses.isEmpty());
        QVERIFY(rig.windows.captures.isEmpty());
    }

    void suggestionOutcomes_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("steps");
        QTest::addColumn<bool>("overlayHidden");
        QTest::newRow("no object")
            << "I think you should click Save." << Texts::replyNotUsable() << 0 << false;
        QTest::newRow("done, explained")
            << R"({"id": 2, "done": true, "explanation": "All saved."})"
            << "All saved." << 0 << true;
        QTest::newRow("title as id") << R"(```json
{"element": "save", "reason": "Press it."}
```)"
                                     << "Step 1 ready." << 1 << false;
    }

    void suggestionOutcomes()
    {
        QFETCH(QString, reply);
        QFETCH(QString, status);
        QFETCH(int, steps);
        QFETCH(bool, overlayHidden);
        SessionRig rig;
        rig.modelServer.reply = reply;
        runFirstStep(rig);
        QCOMPARE(rig.model->status(), status);
        QCOMPARE(rig.model->steps().size(), steps);
        QCOMPARE(rig.overlay.hides, overlayHidden ? 1 : 0);
        QVERIFY(rig.model->sessionActive());
        QVERIFY(!rig.model->elements().isEmpty());
    }

    void serverProblemsExplainThemselves()
    {
        SessionRig rig;
        rig.modelServer.listings.insert_or_assign(Provider::ollama,
                                                  Failure{QStringLiteral("Connection refused")});
        runFirstStepWithoutWaitingForServer(rig);
        QCOMPARE(rig.model->status(), Texts::noServer());
        QVERIFY(rig.modelServer.asked.isEmpty());
        QCOMPARE(rig.model->serverState(), ServerState::down);

        // The server comes up with models but the request fails.
        rig.modelServer.listings.insert_or_assign(Provider::ollama,
                                                  QStringList{QStringLiteral("llama3.2:3b")});
        rig.modelServer.reply = Failure{QStringLiteral("Connection refused")};
        rig.model->nextStep();
        QTRY_VERIFY(rig.model->status().startsWith(QStringLiteral("The model request failed")));
        QCOMPARE(rig.model->status(),
                 QStringLiteral("The model request failed (Connection refused). ") +
                     Texts::noServer());
        QCOMPARE(rig.model->serverState(), ServerState::down);
        QVERIFY(!rig.modelServer.asked.first().imageBase64); // not a vision model: no picture

        // A running server without models names the provider's remedy.
        rig.modelServer.listings.insert_or_assign(Provider::ollama, QStringList{});
        rig.model->nextStep();
        QTRY_COMPARE(rig.model->status(), Texts::ollamaNoModel());
        QCOMPARE(rig.model->serverState(), ServerState::running);
    }

    void theModelGoesOnlyOnceItsWorkersHaveStopped()
    {
        // Quitting while an application is being read: the read runs on a worker and uses the
        // ports, which go right after the model (AddressSanitizer tells if they go first).
        auto rig = std::make_unique<SessionRig>();
        rig->accessibility.slowReadMs = 300;
        GuideModel& model = rig->start();
        QTRY_COMPARE(model.serverState(), ServerState::running);
        model.setGoal(QStringLiteral("save it"));
        model.submit();
        QTRY_VERIFY(rig->accessibility.reading);
        rig.reset();
        // The step, suspended when its model went, resumes into nothing.
        QCoreApplication::processEvents();
    }

    void aRefusedServerAddressIsShownAsItStands()
    {
        SessionRig rig;
        const QString refusal =
            QStringLiteral("OLLAMA_HOST names 10.0.0.2, which is not this computer.");
        rig.modelServer.listings.insert_or_assign(
            Provider::ollama, Failure{refusal, ModelServerPort::refusedAddress});
        GuideModel& model = rig.start();
        QTRY_COMPARE(model.serverState(), ServerState::down);
        model.setGoal(QStringLiteral("save it"));
        model.submit();
        QTRY_COMPARE(model.status(), refusal);
        QVERIFY(rig.modelServer.asked.isEmpty());
    }

    void aClickInsideTheRingAsksForTheNextStep()
    {
        SessionRig rig;
        runFirstStep(rig); // rings Save at (120, 130, 60, 24) of the target, pid 42
        GuideModel& model = *rig.model;
        QVERIFY(model.followClicks());
        const QPointF onSave(150, 140);
        const qint64 target = SessionRig::targetPid;

        // Clicks that are not the user's on the ringed control: elsewhere, or taken by another
        // window at that place (Cuewell's own panel, another application).
        rig.pointer.click(QPointF(500, 500), target);
        rig.pointer.click(onSave, rig.windows.pid);
        rig.pointer.click(onSave, 77);
        QVERIFY(!followed(rig));

        // The application keeps drawing for a while after the click: the step waits for it.
        rig.pointer.click(onSave, target);
        for (int frame = 0; frame < 8; ++frame) {
            QTest::qWait(40);
            rig.windows.draw(target);
            if (frame == 3)
                rig.pointer.click(onSave, target); // a second click while waiting adds nothing
        }
        QCOMPARE(rig.modelServer.asked.size(), 1);
        QTRY_COMPARE(model.status(), QStringLiteral("Step 2 ready."));
        QCOMPARE(rig.modelServer.asked.size(), 2);

        // Switched off, and remembered as such.
        model.setFollowClicks(false);
        QCOMPARE(rig.settings.value(QStringLiteral("followClicks")).toBool(), false);
        rig.pointer.click(onSave, target);
        QVERIFY(!followed(rig));

        // After stop there is no ring to follow.
        model.setFollowClicks(true);
        model.stop();
        rig.pointer.click(onSave, target);
        QVERIFY(!followed(rig));
    }

    // The ring goes up as soon as the streamed answer names the element and the card follows
    // the sentence; a click in the ring before the answer is finished moves on with the step
    // as far as it was said.
    void theRingGoesUpAsSoonAsTheAnswerNamesTheElement()
    {
        SessionRig rig;
        rig.modelServer.reply = QStringLiteral(R"({"id": 2, "explanation": "Click Save now."})");
        rig.modelServer.firstPiece = QStringLiteral("{\"id\": 2, \"explanation\": \"Click Save no");
        GuideModel& model = rig.start();
        QTRY_COMPARE(model.serverState(), ServerState::running);
        rig.modelServer.held = true;
        model.setGoal(QStringLiteral("save it"));
        model.submit();
        QTRY_COMPARE(rig.overlay.shown.size(), 1);
        QCOMPARE(rig.overlay.shown.last().frame, QRectF(120, 130, 60, 24));
        QCOMPARE(rig.overlay.shown.last().text, QStringLiteral("Click Save"));
        QVERIFY(model.isBusy() && model.steps().isEmpty());
        rig.modelServer.release();
        QTRY_VERIFY(!model.isBusy());
        QCOMPARE(model.steps().size(), 1);
        QCOMPARE(model.steps().first().explanation, QStringLiteral("Click Save now."));
        QCOMPARE(rig.overlay.shown.last().text, QStringLiteral("Click Save now."));
        QCOMPARE(rig.overlay.hides, 0);

        const QPointF onSave(150, 140);
        rig.pointer.click(onSave, SessionRig::targetPid);
        QTRY_COMPARE(rig.overlay.shown.size(), 3); // the next step's ring, its answer unfinished
        rig.pointer.click(onSave, SessionRig::targetPid);
        QTRY_COMPARE(rig.modelServer.asked.size(), 3);
        QCOMPARE(rig.modelServer.cancelled, 1);
        QCOMPARE(model.steps().size(), 2);
        QCOMPARE(model.steps()[1].explanation, QStringLiteral("Click Save"));
        QCOMPARE(rig.overlay.hides, 0);

        // Stopped while the answer streams in, the ring it put up comes down with it.
        QTRY_COMPARE(rig.overlay.shown.size(), 4);
        model.stop();
        QVERIFY(!rig.overlay.visible);
    }

    // The whole answer has the last word: a ring from its start comes down when it says the
    // goal is reached.
    void aRingFromTheAnswersStartComesDownWhenTheWholeSaysOtherwise()
    {
        SessionRig rig;
        rig.modelServer.firstPiece = QStringLiteral("{\"id\": 2,");
        rig.modelServer.reply = QStringLiteral(R"({"id": 2, "done": true})");
        runFirstStep(rig);
        QCOMPARE(rig.overlay.shown.size(), 1);
        QVERIFY(!rig.overlay.visible);
        QVERIFY(rig.model->steps().isEmpty());
        QCOMPARE(rig.model->status(), Texts::goalComplete());
    }

    void aClickIntoATextFieldWaitsForTheTyping()
    {
        SessionRig rig;
        AXNodeAttributes field;
        field.role = QStringLiteral("AXTextField");
        field.title = QStringLiteral("Name");
        field.frame = QRectF(200, 300, 100, 24);
        rig.accessibility.nodes[QStringLiteral("/win")].children.append(
            rig.accessibility.add(QStringLiteral("/win/name"), field));
        rig.modelServer.reply = QStringLiteral(R"({"id": 3, "explanation": "Type your name."})");
        runFirstStep(rig);
        QCOMPARE(rig.model->steps().first().label, QStringLiteral("text field \u201CName\u201D"));
        rig.pointer.click(QPointF(250, 310), SessionRig::targetPid);
        QVERIFY(!followed(rig));
    }

    void anotherTargetEndsFollowingTheOldRing()
    {
        SessionRig rig;
        runFirstStep(rig);
        rig.windows.activate({77, QStringLiteral("Calculator"), true});
        QTRY_COMPARE(rig.model->targetName(), QStringLiteral("Calculator"));
        rig.pointer.click(QPointF(150, 140), SessionRig::targetPid);
        QVERIFY(!followed(rig));
    }

    void theStepFollowsTheTaskIntoTheWindowAClickBroughtForward()
    {
        SessionRig rig;
        runFirstStep(rig);
        GuideModel& model = *rig.model;
        const qint64 target = SessionRig::targetPid;
        const RunningApp mousepad{target, QStringLiteral("Mousepad"), true};
        rig.pointer.click(QPointF(150, 140), target);
        QTRY_COMPARE(model.status(), QStringLiteral("Step 2 ready."));
        QCOMPARE(rig.modelServer.asked.size(), 2);

        // The window the step read comes forward again: nothing to follow.
        rig.windows.activate(mousepad);
        QTest::qWait(50);
        QCOMPARE(rig.modelServer.asked.size(), 2);

        // The dialog the click opened comes forward after the step had read the window: the
        // step is asked again in its place, not added after it.
        rig.windows.windows = QList<WindowInfo>{{8, target, 0, QRectF(300, 200, 300, 200)},
                                                {7, target, 0, SessionRig::windowFrame}};
        rig.windows.activate(mousepad);
        QTRY_COMPARE(rig.modelServer.asked.size(), 3);
        QTRY_COMPARE(model.status(), QStringLiteral("Step 2 ready."));
        QCOMPARE(model.steps().size(), 2);

        // Long after the click, a window coming forward is the user's doing, not the click's.
        rig.windows.windows = QList<WindowInfo>{{7, target, 0, SessionRig::windowFrame}};
        QTest::qWait(3100);
        rig.windows.activate(mousepad);
        QTest::qWait(50);
        QCOMPARE(rig.modelServer.asked.size(), 3);
    }

    void aControlOutOfViewIsFoundByScrolling()
    {
        // A list scrolled so that one of its buttons lies below it; the model names an element
        // it was not shown, as it does for a control it expects but cannot see.
        SessionRig rig;
        AXNodeAttributes list;
        list.role = QStringLiteral("AXScrollArea");
        list.frame = QRectF(120, 200, 300, 200);
        AXNodeAttributes shown, below;
        shown.role = below.role = QStringLiteral("AXButton");
        shown.title = QStringLiteral("Red");
        shown.frame = QRectF(130, 210, 100, 24);
        below.title = QStringLiteral("Blue");
        below.frame = QRectF(130, 450, 100, 24);
        list.children = {rig.accessibility.add(QStringLiteral("/win/list/red"), shown),
                         rig.accessibility.add(QStringLiteral("/win/list/blue"), below)};
        rig.accessibility.nodes[QStringLiteral("/win")].children.append(
            rig.accessibility.add(QStringLiteral("/win/list"), list));
        rig.modelServer.reply = QStringLiteral(R"({"id": 99, "explanation": "Click Blue."})");
        runFirstStep(rig, QStringLiteral("choose blue"));

        GuideModel& model = *rig.model;
        QCOMPARE(model.status(), Texts::notInView());
        QCOMPARE(model.steps().size(), 1);
        QCOMPARE(model.steps().first().label,
                 QStringLiteral("scroll area \u201CScroll down in this list\u201D"));
        QCOMPARE(rig.overlay.shown.last().frame, list.frame);
        QCOMPARE(rig.overlay.shown.last().text, Texts::scrollDownToFind());
        // Scrolling is no click on a control: a click there waits for Next step.
        rig.pointer.click(QPointF(200, 300), SessionRig::targetPid);
        QVERIFY(!followed(rig));

        // With nothing out of view, the model's miss is said as it is.
        rig.accessibility.nodes[QStringLiteral("/win")].children.removeLast();
        model.nextStep();
        QTRY_COMPARE(model.status(), Texts::noListedElement());
    }

    void aDocumentsTextComesFromItsTreeInItsPlace()
    {
        // A paragraph the application holds the text of, below a line only the pixels show.
        SessionRig rig;
        AXNodeAttributes paragraph;
        paragraph.role = QStringLiteral("AXParagraph");
        paragraph.frame = QRectF(120, 300, 600, 40);
        const QString text = QStringLiteral("Dear Ann, the parcel arrived.");
        rig.accessibility.texts.insert(QStringLiteral("/win/p"), text);
        rig.accessibility.nodes[QStringLiteral("/win")].children.append(
            rig.accessibility.add(QStringLiteral("/win/p"), paragraph));
        rig.textRecognition.lines = {
            {QStringLiteral("Untitled document"), QRectF(0.1, 0.8, 0.5, 0.05)}};
        runFirstStep(rig);
        const QList<GuideElement>& elements = rig.model->elements();
        QCOMPARE(elements.size(), 4);
        QCOMPARE(elements[2].title, QStringLiteral("Untitled document"));
        QCOMPARE(elements[3].title, text);
        QCOMPARE(elements[3].frame, paragraph.frame);
        QCOMPARE(elements[3].source, GuideElement::Source::text);
    }

    void aPageStillLoadingIsReadOnceItHasLoaded()
    {
        // A new tab whose page is still loading: the step waits for it, then offers what it
        // shows, from pixels taken after it loaded.
        SessionRig rig;
        AXNodeAttributes page;
        page.role = QStringLiteral("AXWebArea");
        page.frame = QRectF(100, 160, 800, 500);
        page.busy = true;
        const AXNode pageNode = rig.accessibility.add(QStringLiteral("/win/page"), page);
        rig.accessibility.nodes[QStringLiteral("/win")].children.append(pageNode);
        AXNodeAttributes search;
        search.role = QStringLiteral("AXLink");
        search.title = QStringLiteral("Search");
        search.frame = QRectF(120, 200, 80, 20);
        const AXNode searchNode = rig.accessibility.add(QStringLiteral("/win/page/search"), search);
        // The browser says the page has loaded a read before it lists what is on it.
        rig.accessibility.beforeEachRead = [&rig, searchNode](int before) {
            rig.accessibility.change([&rig, searchNode, before] {
                AXNodeAttributes& loaded = rig.accessibility.nodes[QStringLiteral("/win/page")];
                loaded.busy = before < 2;
                loaded.children = before < 3 ? QList<AXNode>{} : QList<AXNode>{searchNode};
            });
        };
        rig.modelServer.reply = QStringLiteral(R"({"id": 3, "explanation": "Click Search."})");
        const qsizetype capturesBefore = rig.windows.captures.size();
        runFirstStep(rig, QStringLiteral("change the search settings"));
        QCOMPARE(rig.model->status(), QStringLiteral("Step 1 ready."));
        QVERIFY(rig.statuses.contains(Texts::waitingForPage()));
        QCOMPARE(rig.model->steps().first().label, QStringLiteral("link \u201CSearch\u201D"));
        QVERIFY(rig.windows.captures.size() - capturesBefore >= 2); // taken again once loaded

        // Stop ends the wait for a page that does not finish loading.
        rig.accessibility.change([&rig] { rig.accessibility.beforeEachRead = nullptr; });
        rig.accessibility.change(
            [&rig] { rig.accessibility.nodes[QStringLiteral("/win/page")].busy = true; });
        rig.model->nextStep();
        QTRY_COMPARE(rig.model->status(), Texts::waitingForPage());
        rig.model->stop();
        QVERIFY(!rig.model->isBusy());
        QCOMPARE(rig.model->status(), Texts::stopped());

        // Left alone, such a page is taken as it is, after a while.
        QElapsedTimer waited;
        waited.start();
        rig.model->setGoal(QStringLiteral("change the search settings"));
        rig.model->submit();
        QTRY_COMPARE_WITH_TIMEOUT(rig.model->status(), QStringLiteral("Step 1 ready."),
                                  StepObserver::longestLoadingWait.count() + 5000);
        QVERIFY(waited.elapsed() >= StepObserver::longestLoadingWait.count());
    }

private:
    static void runFirstStepWithoutWaitingForServer(SessionRig& rig)
    {
        GuideModel& model = rig.start();
        QTRY_COMPARE(model.serverState(), ServerState::down);
        model.setGoal(QStringLiteral("save it"));
        model.submit();
        QTRY_VERIFY(!model.isBusy() && model.status() == Texts::noServer());
    }
};

QTEST_GUILESS_MAIN(GuideSessionTest)
#include "GuideSessionTest.moc"
