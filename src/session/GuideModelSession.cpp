// One guided session: submitting a goal, running a step from observation to suggestion,
// picking by hand, stopping.
#include "core/Texts.h"
#include "observe/AccessibilityReader.h"
#include "observe/ScreenCapture.h"
#include "overlay/Overlay.h"
#include "recognize/TextRecognizer.h"
#include "session/ElementMerging.h"
#include "session/GuideModel.h"

#include <QPointer>
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
    m_services.overlay.hide();
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
    QList<Step> steps = m_steps;
    steps.append(
        {QUuid::createUuid(), steps.size() + 1, label, explanation, element.frame, manual});
    setSteps(steps);
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
    setBusy(true);
    refreshPermissions();
    if (!m_hasScreenAccess) {
        setStatus(Texts::screenPermissionNeeded);
        setShowExplainer(true);
        setBusy(false);
        co_return;
    }
    const std::optional<RunningApp> app = applicationToObserve();
    if (!app) {
        setStatus(Texts::switchToApp);
        setBusy(false);
        co_return;
    }
    setTargetName(app->name.isEmpty() ? Texts::unnamedApp : app->name);
    setStatus(Texts::reading(m_targetName));

    QPointer<GuideModel> self(this);
    AccessibilityPort& accessibility = m_services.accessibility;
    const qint64 pid = app->pid;
    // Futures are named before they are awaited: GCC 12 mishandles class-type temporaries
    // (such as lambdas holding an image) that live across a suspension.
    QFuture<AXSnapshot> reading = QtConcurrent::run(
        [&accessibility, pid] { return AccessibilityReader::read(accessibility, pid); });
    const AXSnapshot snapshot = co_await reading;
    if (!self)
        co_return;

    const Result<CapturedWindow> captured =
        co_await ScreenCapture::captureFrontWindow(m_services.windows, pid, snapshot.windowFrame);
    if (!self)
        co_return;
    if (!captured) {
        setStatus(captured.failure().description);
        setBusy(false);
        co_return;
    }
    const QImage image = captured.value().image;
    const QRectF window = captured.value().frame;
    setStatus(Texts::readingTextOnScreen);

    TextRecognitionEngine& engine = m_services.textEngine;
    QFuture<QList<TextLine>> recognition = QtConcurrent::run(
        [&engine, image, window] { return TextRecognizer::recognize(engine, image, window); });
    const QList<TextLine> lines = co_await recognition;
    if (!self)
        co_return;

    setElements(ElementMerging::merge(snapshot.elements, lines, window));
    if (m_elements.isEmpty()) {
        setStatus(Texts::nothingRecognisable);
        setBusy(false);
        co_return;
    }
    co_await suggest(image, window);
    if (self)
        setBusy(false);
}
