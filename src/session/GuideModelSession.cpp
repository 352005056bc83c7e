// One guided session: submitting a goal, running a step from observation to suggestion,
// picking by hand, stopping.
#include "core/Texts.h"
#include "observe/AccessibilityReader.h"
#include "observe/ScreenCapture.h"
#include "platform/OverlayPort.h"
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
    if (trimmed.isEmpty() || m_isBusy)
        return;
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

void GuideModel::stop()
{
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

void GuideModel::record(const GuideElement& element, const QString& explanation, bool manual)
{
    const QString label =
        element.role + QStringLiteral(" \u201C") + element.title + QStringLiteral("\u201D");
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
    refreshPermissions();
    if (!m_hasScreenAccess) {
        setShowExplainer(true);
        co_return step.end(Texts::screenPermissionNeeded);
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

// Reads the application's tree, captures its window and recognises the text on it. Absent
// when the step ended here (its status is set) or the model went away meanwhile.
QCoro::Task<std::optional<Observation>> GuideModel::observe(const RunningApp& app, StepScope& step)
{
    AccessibilityPort& accessibility = m_services.accessibility;
    const qint64 pid = app.pid;
    // Futures are named before they are awaited: GCC 12 mishandles class-type temporaries
    // (such as lambdas holding an image) that live across a suspension.
    QFuture<AXSnapshot> reading = QtConcurrent::run(&m_workers, [&accessibility, pid] {
        return AccessibilityReader::read(accessibility, pid);
    });
    const AXSnapshot snapshot = co_await reading;
    if (step.modelGone())
        co_return std::nullopt;

    const Result<CapturedWindow> captured =
        co_await ScreenCapture::captureFrontWindow(m_services.windows, pid, snapshot.windowFrame);
    if (step.modelGone())
        co_return std::nullopt;
    if (!captured) {
        step.end(captured.failure().description);
        co_return std::nullopt;
    }
    const CapturedWindow window = captured.value();
    setStatus(Texts::readingTextOnScreen);

    TextRecognitionPort& recognition = m_services.textRecognition;
    QFuture<QList<TextLine>> recognising = QtConcurrent::run(&m_workers, [&recognition, window] {
        return TextRecognizer::recognize(recognition, window.image, window.frame);
    });
    const QList<TextLine> lines = co_await recognising;
    if (step.modelGone())
        co_return std::nullopt;
    const QList<GuideElement> named =
        FieldLabels::nameUnlabelled(snapshot.elements, snapshot.labels + lines);
    Observation observation{ElementMerging::merge(named, lines, window.frame), window};
    co_return observation;
}
