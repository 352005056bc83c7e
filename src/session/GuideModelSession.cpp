// SPDX-License-Identifier: GPL-3.0-or-later
// One guided session: submitting a goal, running a step from observation to suggestion,
// picking by hand, stopping.
#include "core/DisplayText.h"
#include "core/OutsideText.h"
#include "core/Texts.h"
#include "observe/AccessibilityReader.h"
#include "observe/ScreenCapture.h"
#include "platform/OverlayPort.h"
#include "platform/PermissionsPort.h"
#include "recognize/TextRecognizer.h"
#include "session/ElementMerging.h"
#include "session/FieldLabels.h"
#include "session/GuideModel.h"
#include "session/Observation.h"
#include "session/StepScope.h"

#include <QTimer>
#include <QUuid>
#include <QtConcurrent/QtConcurrentRun>

#include <QCoro/QCoroFuture>

void GuideModel::submit()
{
    const QString trimmed = m_goal.trimmed();
    if (trimmed.isEmpty())
        return;
    endStepInFlight();
    m_activeGoal = trimmed;
    setSteps({});
    setElements({});
    setSessionActive(true);
    startStep();
}

void GuideModel::nextStep()
{
    if (m_sessionActive && !m_isBusy)
        startStep();
}

// A started step runs after its starter has returned; runStep's own busy check is what keeps
// two steps from overlapping.
void GuideModel::startStep()
{
    QTimer::singleShot(0, this, [this] { runStep(); });
}

// The step still waiting is superseded: it is no longer busy, its request is aborted, and
// whatever it receives later is dropped.
void GuideModel::endStepInFlight()
{
    if (!m_isBusy)
        return;
    ++m_stepGeneration;
    if (const std::shared_ptr<Cancellation> cancellation = std::exchange(m_stepCancellation, {}))
        cancellation->cancel();
    setWaitingForModel(false);
    setBusy(false);
}

void GuideModel::stop()
{
    endStepInFlight();
    hideRing();
    setSessionActive(false);
    setSteps({});
    setElements({});
    setStatus(Texts::stopped);
}

void GuideModel::pick(const GuideElement& element)
{
    if (m_activeGoal.isEmpty())
        m_activeGoal = m_goal;
    setSessionActive(true);
    record(element, Texts::youChoseThis, true);
}

// What is recorded is bounded: the history goes into every later prompt and onto the panel.
void GuideModel::record(const GuideElement& element, const QString& shownExplanation, bool manual)
{
    const QString explanation = OutsideText::tamed(shownExplanation, DisplayText::maxGraphemes);
    const QString label = element.role + QStringLiteral(" \u201C") +
                          OutsideText::tamed(element.title, DisplayText::maxNameGraphemes) +
                          QStringLiteral("\u201D");
    m_services.overlay.show(element.frame, explanation, label);
    // Typing follows a click into a text field, not the next step.
    const bool followable = !textEntryRoles().contains(element.role);
    if (m_observedPid)
        m_follower.ringShown(element.frame, *m_observedPid, followable);
    else if (m_targetApp)
        m_follower.ringShown(element.frame, m_targetApp->pid, followable);
    QList<Step> steps = m_steps;
    steps.append(
        {QUuid::createUuid(), steps.size() + 1, label, explanation, element.frame, manual});
    setSteps(steps);
}

const QSet<QString>& GuideModel::textEntryRoles()
{
    static const QSet<QString> roles{AccessibilityReader::readableRole(u"AXTextField"),
                                     AccessibilityReader::readableRole(u"AXTextArea"),
                                     AccessibilityReader::readableRole(u"AXSearchField")};
    return roles;
}

void GuideModel::hideRing()
{
    m_services.overlay.hide();
    m_follower.ringHidden();
}

std::optional<RunningApp> GuideModel::applicationToObserve()
{
    if (m_targetApp && !m_services.windows.isTerminated(m_targetApp->pid))
        return m_targetApp;
    std::optional<RunningApp> front = m_services.windows.frontmostApplication();
    if (front && front->pid != m_services.windows.ownPid())
        return front;
    return std::nullopt;
}

QCoro::Task<> GuideModel::runStep()
{
    if (m_isBusy)
        co_return;
    StepScope step(*this);
    m_timings = {};
    m_stepClock.start();
    refreshPermissions();
    if (!m_hasScreenAccess) {
        setShowExplainer(true);
        co_return step.end(m_services.permissions.captureAdvice().missing);
    }
    const std::optional<RunningApp> app = applicationToObserve();
    if (!app)
        co_return step.end(Texts::switchToApp);
    setTargetName(app->name.isEmpty() ? Texts::unnamedApp : app->name);
    setStatus(Texts::reading(m_targetName));
    m_observedPid = app->pid;

    const std::optional<Observation> observation = co_await observe(*app, step);
    if (!observation)
        co_return;
    setElements(observation->elements);
    if (m_elements.isEmpty())
        co_return step.end(Texts::nothingRecognisable);
    co_await suggest(*observation, step);
}

// Reads the application's tree, captures its window and recognises the text on it. The tree is
// read on a worker while the window is captured and recognised on another: the window is found
// without the tree, and checked against it afterwards. Absent when the step ended here (its
// status is set) or the model went away meanwhile.
QCoro::Task<std::optional<Observation>> GuideModel::observe(const RunningApp& app, StepScope& step)
{
    AccessibilityPort& accessibility = m_services.accessibility;
    const qint64 pid = app.pid;
    // Futures are named before they are awaited: GCC 12 mishandles class-type temporaries
    // (such as lambdas holding an image) that live across a suspension.
    const QElapsedTimer clock = m_stepClock;
    const qsizetype reusedBefore = m_recognised.reused();
    QFuture<std::pair<AXSnapshot, double>> reading =
        QtConcurrent::run(&m_workers, [&accessibility, pid, clock] {
            AXSnapshot snapshot = AccessibilityReader::read(accessibility, pid);
            return std::pair(std::move(snapshot), clock.nsecsElapsed() / 1e6);
        });
    const std::optional<QRectF> lastFrame = m_lastWindowFrames.contains(pid)
                                                ? std::optional(m_lastWindowFrames.value(pid))
                                                : std::nullopt;
    Result<CapturedWindow> captured =
        co_await ScreenCapture::captureFrontWindow(m_services.windows, pid, lastFrame);
    if (step.superseded())
        co_return std::nullopt;
    m_timings.capture = clock.nsecsElapsed() / 1e6;
    QFuture<QList<TextLine>> recognising;
    if (captured) {
        setStatus(Texts::readingTextOnScreen);
        recognising = startRecognising(captured.value());
    }
    const std::pair<AXSnapshot, double> read = co_await reading;
    if (step.superseded())
        co_return std::nullopt;
    const AXSnapshot& snapshot = read.first;
    m_timings.read = read.second;

    // The tree names the window the user works in; when the capture took another, or failed,
    // that window is taken.
    if (snapshot.windowFrame &&
        (!captured || !ScreenCapture::isWindowFor(m_services.windows, pid, *snapshot.windowFrame,
                                                  captured.value().windowId))) {
        captured = co_await ScreenCapture::captureFrontWindow(m_services.windows, pid,
                                                              snapshot.windowFrame);
        if (step.superseded())
            co_return std::nullopt;
        if (captured)
            recognising = startRecognising(captured.value());
    }
    if (!captured) {
        step.end(captured.failure().description);
        co_return std::nullopt;
    }
    const CapturedWindow window = captured.value();
    // A capture with popups drawn in spans more than the window; only its own frame is kept.
    if (snapshot.windowFrame)
        m_lastWindowFrames.insert(pid, *snapshot.windowFrame);
    else if (window.popups.isEmpty())
        m_lastWindowFrames.insert(pid, window.frame);
    const QList<TextLine> lines = co_await recognising;
    if (step.superseded())
        co_return std::nullopt;
    m_timings.recognise = clock.nsecsElapsed() / 1e6;
    m_timings.recognisedBefore = m_recognised.reused() > reusedBefore;
    const QList<GuideElement> named =
        FieldLabels::nameUnlabelled(snapshot.elements, snapshot.labels + lines);
    Observation observation{ElementMerging::merge(named, lines, window.frame), window};
    m_timings.observed = clock.nsecsElapsed() / 1e6;
    co_return observation;
}

QFuture<QList<TextLine>> GuideModel::startRecognising(const CapturedWindow& window)
{
    TextRecognitionPort& recognition = m_services.textRecognition;
    RecognitionCache& cache = m_recognised;
    return QtConcurrent::run(&m_recognising, [&recognition, &cache, window] {
        return TextRecognizer::recognize(recognition, window, &cache);
    });
}
