// SPDX-License-Identifier: GPL-3.0-or-later
// The guide session: its state, start-up and properties, and the flow of a session from a goal
// through its steps to Stop.
#include "session/GuideModel.h"

#include "core/DisplayText.h"
#include "core/OutsideText.h"
#include "core/Texts.h"
#include "observe/AccessibilityReader.h"
#include "platform/OverlayPort.h"
#include "platform/PermissionsPort.h"
#include "session/FocusRule.h"
#include "session/Observation.h"
#include "session/SessionLog.h"
#include "session/StepScope.h"

#include <QPointer>
#include <QSettings>
#include <QTimer>
#include <QUuid>

namespace {
const QString seenExplainerKey = QStringLiteral("seenExplainer");
} // namespace

GuideModel::GuideModel(GuideServices services, QObject* parent)
    : QObject(parent), m_services(services),
      m_observer(services.accessibility, services.windows, services.textRecognition),
      m_discovery(services.modelServer, services.settings),
      m_advisor(services.modelServer, m_discovery, m_observer.workers()),
      m_follower(services.pointer, services.windows, services.accessibility, services.settings),
      m_status(Texts::typeAGoal())
{
    connect(&m_discovery, &ModelDiscovery::providerChanged, this, &GuideModel::providerChanged);
    connect(&m_discovery, &ModelDiscovery::modelsChanged, this, &GuideModel::modelsChanged);
    connect(&m_discovery, &ModelDiscovery::selectedModelChanged, this,
            &GuideModel::selectedModelChanged);
    connect(&m_discovery, &ModelDiscovery::serverStateChanged, this,
            &GuideModel::serverStateChanged);
    connect(&m_follower, &ClickFollower::enabledChanged, this, &GuideModel::followClicksChanged);
    connect(&m_follower, &ClickFollower::followed, this, &GuideModel::followClick);
    // A window that comes forward while a new click settles is that click's to follow.
    connect(&m_follower, &ClickFollower::clickedInRing, this,
            [this] { m_followedClick.invalidate(); });

    m_showExplainer = !m_services.settings.value(seenExplainerKey, false).toBool();
    chooseInitialTarget();
    QPointer<GuideModel> self(this);
    m_services.windows.onActivation([self](const RunningApp& app) {
        if (self)
            self->onActivation(app);
    });
    m_services.permissions.onChanged([self] {
        if (self)
            self->refreshPermissions();
    });
    refreshPermissions();
    m_discovery.startRefresh();
}

GuideModel::~GuideModel()
{
    // Without signals: the views may be gone already.
    ++m_stepGeneration;
    if (const std::shared_ptr<Cancellation> cancellation = std::exchange(m_stepCancellation, {}))
        cancellation->cancel();
}

void GuideModel::chooseInitialTarget()
{
    const std::optional<RunningApp> front = m_services.windows.frontmostApplication();
    if (front && FocusRule::qualifiesAsTarget(*front, m_services.windows.ownPid())) {
        m_targetApp = front;
        m_targetName = OutsideText::tamed(front->name, DisplayText::maxNameGraphemes);
    }
}

void GuideModel::setPanelOpen(bool open)
{
    m_panelOpen = open;
    keepTargetReady();
    m_discovery.setPanelOpen(open);
    readAhead();
}

// The target's windows are kept ready for capture only while a step may soon be asked for;
// otherwise Cuewell leaves every window as it found it.
void GuideModel::keepTargetReady()
{
    const bool needed = (m_panelOpen || m_sessionActive) && m_targetApp;
    const qint64 pid = needed ? m_targetApp->pid : 0;
    if (pid == 0 && m_preparedPid == 0)
        return; // nothing was made ready, so nothing is let go
    m_preparedPid = pid;
    // Asked again for the same application too: a window it opened since is made ready.
    m_services.windows.prepareCapture(pid);
}

void GuideModel::setTarget(const RunningApp& app)
{
    // The ring stays on screen, but a click there no longer asks anything of the new target.
    if (m_observedPid && *m_observedPid != app.pid)
        m_follower.ringHidden();
    if (!m_targetApp || m_targetApp->pid != app.pid)
        setReadingWindow({}); // what was read belongs to the other application
    m_targetApp = app;
    setTargetName(app.name);
    keepTargetReady();
    readAhead();
}

// The update is queued so that it lands between the suspensions of a running step.
void GuideModel::onActivation(const RunningApp& app)
{
    if (!FocusRule::qualifiesAsTarget(app, m_services.windows.ownPid()))
        return;
    QTimer::singleShot(0, this, [this, app] {
        setTarget(app);
        const quint64 front = m_observedPid == app.pid ? frontWindowOf(app.pid) : 0;
        if (front != 0 && front != m_observedWindow) {
            qCDebug(lcSession) << "window" << front << "came forward; the step read"
                               << m_observedWindow;
            followWindowChange();
        }
    });
}

// The application's window in front of its others, or 0 when none is on screen.
quint64 GuideModel::frontWindowOf(qint64 pid)
{
    const Result<QList<WindowInfo>> windows = m_services.windows.onScreenWindows();
    if (!windows)
        return 0;
    for (const WindowInfo& window : windows.value()) {
        if (window.pid == pid && window.layer == 0)
            return window.id;
    }
    return 0;
}

void GuideModel::followClick()
{
    m_followedClick.start();
    keepPreviewedStep();
    m_stepsBeforeFollowedClick = m_steps.size();
    nextStep();
}

// The ring went up from the start of an answer and the user clicked it before the rest had
// come: the step is kept with its sentence as far as it went, and the rest is not waited for.
void GuideModel::keepPreviewedStep()
{
    if (!m_previewed || !m_isBusy)
        return;
    const StepAdvisor::Preview previewed = *std::exchange(m_previewed, std::nullopt);
    endStepInFlight();
    setStatus(Texts::stepReady(m_steps.size() + 1));
    appendStep(previewed.element, labelOf(previewed.element), previewed.explanation, false);
}

// A click that opens a dialog or a window (or closes one) may be followed before the window
// it brings forward has come: the step it started read the window the task left. When the
// application brings another window forward soon after, the step is asked again there, in
// place of the one read too early.
void GuideModel::followWindowChange()
{
    if (!m_sessionActive || !m_followedClick.isValid() ||
        m_followedClick.elapsed() > windowChangeAfterClickMs)
        return;
    qCInfo(lcSession) << "the task went to another window; the step reads it";
    endStepInFlight();
    if (m_steps.size() > m_stepsBeforeFollowedClick) {
        hideRing();
        setSteps(m_steps.mid(0, m_stepsBeforeFollowedClick));
    }
    startStep();
}

void GuideModel::refreshPermissions()
{
    m_hasScreenAccess = m_services.permissions.mayCapture();
    emit hasScreenAccessChanged();
    // Idle, the status says whether a goal can be followed at all.
    const QString missing = m_services.permissions.captureAdvice().missing;
    if (!m_isBusy && !m_hasScreenAccess && m_status == Texts::typeAGoal()) {
        setStatus(missing);
        setShowExplainer(true);
    } else if (!m_isBusy && m_hasScreenAccess && m_status == missing)
        setStatus(Texts::typeAGoal());
    m_hasAXAccess = m_services.permissions.mayReadAccessibility();
    emit hasAXAccessChanged();
}

void GuideModel::dismissExplainer()
{
    m_services.settings.setValue(seenExplainerKey, true);
    setShowExplainer(false);
}

void GuideModel::setGoal(const QString& goal)
{
    m_goal = goal;
    emit goalChanged();
}

void GuideModel::increaseFocusToken()
{
    ++m_focusToken;
    emit focusTokenChanged();
}

void GuideModel::setShowExplainer(bool show)
{
    m_showExplainer = show;
    emit showExplainerChanged();
}

void GuideModel::setElements(const QList<GuideElement>& elements)
{
    m_elements = elements;
    emit elementsChanged();
}

void GuideModel::setSteps(const QList<Step>& steps)
{
    m_steps = steps;
    emit stepsChanged();
}

void GuideModel::setStatus(const QString& status)
{
    qCInfo(lcSession).noquote() << "status:" << status;
    m_status = status;
    emit statusChanged();
}

void GuideModel::setBusy(bool busy)
{
    m_isBusy = busy;
    emit isBusyChanged();
}

void GuideModel::setWaitingForModel(bool waiting)
{
    m_waitingForModel = waiting;
    emit waitingForModelChanged();
}

void GuideModel::setSessionActive(bool active)
{
    m_sessionActive = active;
    emit sessionActiveChanged();
    keepTargetReady();
}

void GuideModel::setReadingWindow(const QString& title)
{
    if (title == m_readingWindow)
        return;
    m_readingWindow = title;
    emit readingWindowChanged();
}

void GuideModel::setTargetName(const QString& name)
{
    m_targetName = OutsideText::tamed(name, DisplayText::maxNameGraphemes);
    emit targetNameChanged();
}

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
    m_followedClick.invalidate();
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
    // A ring put up from an answer that will not be finished comes down with it.
    if (std::exchange(m_previewed, std::nullopt))
        hideRing();
    ++m_stepGeneration;
    if (const std::shared_ptr<Cancellation> cancellation = std::exchange(m_stepCancellation, {}))
        cancellation->cancel();
    setWaitingForModel(false);
    setBusy(false);
}

void GuideModel::stop()
{
    m_followedClick.invalidate();
    endStepInFlight();
    hideRing();
    setSessionActive(false);
    setSteps({});
    setElements({});
    setStatus(Texts::stopped());
}

void GuideModel::pick(const GuideElement& element)
{
    if (m_activeGoal.isEmpty())
        m_activeGoal = m_goal;
    setSessionActive(true);
    record(element, Texts::youChoseThis(), true);
}

// What is recorded is bounded: the history goes into every later prompt and onto the panel.
void GuideModel::record(const GuideElement& element, const QString& shownExplanation, bool manual,
                        bool followable)
{
    const QString explanation = OutsideText::tamed(shownExplanation, DisplayText::maxGraphemes);
    const QString label = showRing(element, explanation, followable);
    appendStep(element, label, explanation, manual);
}

QString GuideModel::showRing(const GuideElement& element, const QString& explanation,
                             bool followable)
{
    const QString label = labelOf(element);
    m_services.overlay.show(element.frame, explanation, label);
    if (m_timings.ringed == 0 && m_stepClock.isValid())
        m_timings.ringed = m_stepClock.nsecsElapsed() / 1e6;
    // Typing follows a click into a text field, not the next step.
    followable = followable && !textEntryRoles().contains(element.role);
    if (m_observedPid)
        m_follower.ringShown(element.frame, *m_observedPid, followable);
    else if (m_targetApp)
        m_follower.ringShown(element.frame, m_targetApp->pid, followable);
    return label;
}

// How the card and the step list name a control: its kind and its (bounded) title.
QString GuideModel::labelOf(const GuideElement& element)
{
    return Texts::controlLabel(element.role,
                               OutsideText::tamed(element.title, DisplayText::maxNameGraphemes));
}

void GuideModel::appendStep(const GuideElement& element, const QString& label,
                            const QString& explanation, bool manual)
{
    QList<Step> steps = m_steps;
    steps.append(
        {QUuid::createUuid(), steps.size() + 1, label, explanation, element.frame, manual});
    setSteps(steps);
}

// The model has named a listed element and goes on writing its sentence: the ring goes up at
// once, and the card follows the sentence as it grows.
void GuideModel::showPreview(const StepAdvisor::Preview& preview)
{
    const bool first = !m_previewed;
    if (!first && m_previewed->explanation == preview.explanation)
        return;
    const bool due = first || m_previewShown.elapsed() >= previewRefreshMs;
    m_previewed = preview;
    if (!due)
        return;
    m_previewShown.start();
    showRing(preview.element, preview.explanation, true);
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
    // A step queued before Stop finds the session ended.
    if (m_isBusy || !m_sessionActive)
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
        co_return step.end(Texts::switchToApp());
    setTargetName(app->name.isEmpty() ? Texts::unnamedApp() : app->name);
    setStatus(Texts::reading(m_targetName));
    m_observedPid = app->pid;

    const std::function<void(const QString&)> progress = [this, &step](const QString& status) {
        if (!step.superseded())
            setStatus(status);
    };
    const Result<Observation> observed =
        co_await m_observer.observe(app->pid, m_stepClock, progress, step.cancellation());
    if (step.superseded())
        co_return;
    if (!observed)
        co_return step.end(observed.failure().description);
    const Observation& observation = observed.value();
    m_timings = observation.timings;
    m_scrollHint = observation.scrollHint;
    m_observedWindow = observation.window.windowId;
    setReadingWindow(observation.windowTitle);
    setElements(observation.elements);
    if (m_elements.isEmpty())
        co_return step.end(Texts::nothingRecognisable());
    co_await suggest(observation, step);
}

// Makes sure a server and a model are there, then has the advisor ask the model and applies
// its advice.
QCoro::Task<> GuideModel::suggest(const Observation& observation, StepScope& step)
{
    if (serverState() != ServerState::running || models().isEmpty()) {
        co_await m_discovery.refresh();
        if (step.superseded())
            co_return;
    }
    if (serverState() != ServerState::running) {
        const QString refusal = m_discovery.refusal();
        co_return step.end(refusal.isEmpty() ? Texts::noServer() : refusal);
    }
    if (selectedModel().isEmpty())
        co_return step.end(provider() == Provider::ollama ? Texts::ollamaNoModel()
                                                          : Texts::lmStudioNoModel());
    // The request uses the provider and model chosen at this moment, whatever happens later.
    const StepAdvisor::Question question{m_activeGoal,       m_steps,    m_elements,
                                         observation.window, provider(), selectedModel()};
    setStatus(Texts::asking(question.model));
    const Result<StepAdvisor::Prepared> prepared = co_await m_advisor.prepare(question);
    if (step.superseded())
        co_return;
    if (!prepared)
        co_return step.end(prepared.failure().description);
    if (!prepared.value().note.isEmpty())
        setStatus(Texts::asking(question.model) + prepared.value().note);
    m_timings.requested = m_stepClock.nsecsElapsed() / 1e6;
    setWaitingForModel(true);
    const StepAdvisor::PreviewSeen previewSeen = [this, &step](const StepAdvisor::Preview& seen) {
        if (!step.superseded())
            showPreview(seen);
    };
    const Advice advice =
        co_await m_advisor.ask(prepared.value(), step.cancellation(), previewSeen);
    if (step.superseded())
        co_return;
    setWaitingForModel(false);
    apply(advice, step);
}

void GuideModel::apply(const Advice& advice, StepScope& step)
{
    m_timings.answered = m_stepClock.nsecsElapsed() / 1e6;
    // A ring put up from the answer's start stays only when the whole answer names the same.
    const std::optional<StepAdvisor::Preview> previewed = std::exchange(m_previewed, std::nullopt);
    if (previewed && (!advice.element || advice.element->id != previewed->element.id))
        hideRing();
    if (advice.serverDown)
        m_discovery.markDown();
    if (advice.done)
        hideRing();
    if (!advice.element && advice.unlisted && m_scrollHint)
        return guideScroll(*m_scrollHint, step);
    if (!advice.element)
        return step.end(advice.outcome + advice.note);
    step.end(Texts::stepReady(m_steps.size() + 1) + advice.note);
    record(*advice.element, advice.explanation, false);
}

// The model wants a control that is not on screen, and the window has a scrolled area with
// controls out of view: the step is to scroll there. Scrolling is no click, so the user asks
// for the step after it.
void GuideModel::guideScroll(const ScrollHint& hint, StepScope& step)
{
    step.end(Texts::notInView());
    const GuideElement area{0,
                            AccessibilityReader::readableRole(AccessibilityReader::scrollAreaRole),
                            hint.down ? Texts::scrollDown() : Texts::scrollUp(),
                            hint.area,
                            GuideElement::Source::accessibility,
                            false};
    record(area, hint.down ? Texts::scrollDownToFind() : Texts::scrollUpToFind(), false, false);
}

// Recognising the target's text ahead of the next step, while the user types a goal.
void GuideModel::readAhead()
{
    const bool wanted = (m_panelOpen || m_sessionActive) && m_targetApp && m_hasScreenAccess;
    if (wanted && !m_isBusy)
        m_observer.readAhead(m_targetApp->pid);
}
