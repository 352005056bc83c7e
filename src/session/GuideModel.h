// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Cancellation.h"
#include "core/CapturedWindow.h"
#include "core/GuideElement.h"
#include "core/Result.h"
#include "core/ScrollHint.h"
#include "core/ServerState.h"
#include "core/Step.h"
#include "core/TextLine.h"
#include "model_client/Provider.h"
#include "platform/WindowsPort.h"
#include "session/ClickFollower.h"
#include "session/GuideServices.h"
#include "session/ModelDiscovery.h"
#include "session/StepAdvisor.h"
#include "session/StepObserver.h"
#include "session/StepTimings.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <QCoro/QCoroTask>

#include <memory>
#include <optional>

struct Advice;
struct Observation;
class StepScope;

/// The state of the assistant and the operations that run a guided session. Lives on the main
/// thread; every property announces each assignment, also of an equal value.
class GuideModel : public QObject
{
    Q_OBJECT
public:
    /// Runs the start-up sequence: reads the settings back (writing none), chooses the initial
    /// target, follows activations, reads the permissions and queues a first model listing.
    explicit GuideModel(GuideServices services, QObject* parent = nullptr);
    /// Ends the step in flight (its request is aborted) and waits for blocking work still
    /// running on the model's worker threads, which use the services; a step suspended at that
    /// moment never touches the model again.
    ~GuideModel() override;

    QString goal() const { return m_goal; }
    void setGoal(const QString& goal);
    Provider provider() const { return m_discovery.provider(); }
    void setProvider(Provider provider) { m_discovery.setProvider(provider); }
    QStringList models() const { return m_discovery.models(); }
    QString selectedModel() const { return m_discovery.selectedModel(); }
    void setSelectedModel(const QString& model) { m_discovery.setSelectedModel(model); }
    ServerState serverState() const { return m_discovery.serverState(); }
    QList<GuideElement> elements() const { return m_elements; }
    QList<Step> steps() const { return m_steps; }
    QString status() const { return m_status; }
    bool isBusy() const { return m_isBusy; }
    /// Whether a request to the model server is out and unanswered.
    bool isWaitingForModel() const { return m_waitingForModel; }
    bool hasScreenAccess() const { return m_hasScreenAccess; }
    bool hasAXAccess() const { return m_hasAXAccess; }
    qint64 focusToken() const { return m_focusToken; }
    void increaseFocusToken();
    bool showExplainer() const { return m_showExplainer; }
    void setShowExplainer(bool show);
    /// Hides the explainer for good: remembered across launches.
    void dismissExplainer();
    bool sessionActive() const { return m_sessionActive; }
    QString targetName() const { return m_targetName; }
    /// The title of the window the last step read: a dialog the task went into, or the
    /// window it came back to.
    QString readingWindow() const { return m_readingWindow; }
    std::optional<RunningApp> targetApp() const { return m_targetApp; }
    QString activeGoal() const { return m_activeGoal; }
    /// Whether a click inside the ring asks for the next step by itself (remembered).
    bool followClicks() const { return m_follower.isEnabled(); }
    void setFollowClicks(bool follow) { m_follower.setEnabled(follow); }

    /// Starts a session with the typed goal; a step still running for an earlier goal ends.
    void submit();
    void nextStep();
    /// Ends the session, and the step in flight at once: its late answers change nothing.
    void stop();
    void pick(const GuideElement& element);
    void refreshPermissions();
    QCoro::Task<> refreshModels() { return m_discovery.refresh(); }
    /// Whether the panel is open. While it is, or a session runs, the target's windows are
    /// kept ready for capture, and their text is recognised ahead of the next step.
    void setPanelOpen(bool open);
    /// Where the time of the last step went.
    StepTimings lastStepTimings() const { return m_timings; }

signals:
    void goalChanged();
    void providerChanged();
    void modelsChanged();
    void selectedModelChanged();
    void serverStateChanged();
    void elementsChanged();
    void stepsChanged();
    void statusChanged();
    void isBusyChanged();
    void waitingForModelChanged();
    void hasScreenAccessChanged();
    void hasAXAccessChanged();
    void focusTokenChanged();
    void showExplainerChanged();
    void sessionActiveChanged();
    void targetNameChanged();
    void readingWindowChanged();
    void followClicksChanged();

private:
    friend class StepScope;

    void chooseInitialTarget();
    void setTarget(const RunningApp& app);
    void hideRing();
    void keepTargetReady();
    static const QSet<QString>& textEntryRoles();
    void onActivation(const RunningApp& app);
    void startStep();
    void endStepInFlight();
    QCoro::Task<> runStep();
    QCoro::Task<> suggest(const Observation& observation, StepScope& step);
    void apply(const Advice& advice, StepScope& step);
    /// Has the target's text recognised ahead of the next step, while the user types a goal.
    void readAhead();
    std::optional<RunningApp> applicationToObserve();
    /// Rings `element` as the next step; a click inside the ring asks for the one after it
    /// only when `followable`.
    void record(const GuideElement& element, const QString& explanation, bool manual,
                bool followable = true);
    /// Puts the ring and its card on screen, as `record` does, without recording a step.
    /// Returns the control's label, as the card names it.
    QString showRing(const GuideElement& element, const QString& explanation, bool followable);
    static QString labelOf(const GuideElement& element);
    void appendStep(const GuideElement& element, const QString& label, const QString& explanation,
                    bool manual);
    void showPreview(const StepAdvisor::Preview& preview);
    void keepPreviewedStep();
    void guideScroll(const ScrollHint& hint, StepScope& step);
    void followClick();
    quint64 frontWindowOf(qint64 pid);
    void followWindowChange();

    void setElements(const QList<GuideElement>& elements);
    void setSteps(const QList<Step>& steps);
    void setStatus(const QString& status);
    void setBusy(bool busy);
    void setWaitingForModel(bool waiting);
    void setSessionActive(bool active);
    void setTargetName(const QString& name);
    void setReadingWindow(const QString& title);

    GuideServices m_services;
    StepTimings m_timings;
    // Where the last observation saw controls scrolled out of view.
    std::optional<ScrollHint> m_scrollHint;
    // The window the last step read (0 when unknown).
    quint64 m_observedWindow = 0;
    // The last click that asked for a step, and how many steps there were before it.
    QElapsedTimer m_followedClick;
    qsizetype m_stepsBeforeFollowedClick = 0;
    /// A window the application brings forward this soon after a followed click is where the
    /// click took the task.
    static constexpr qint64 windowChangeAfterClickMs = 3000;
    QElapsedTimer m_stepClock;
    // The ring put up from the start of an answer still streaming in, and when its card last
    // changed: the card follows the sentence a few times a second, not at every token.
    std::optional<StepAdvisor::Preview> m_previewed;
    QElapsedTimer m_previewShown;
    static constexpr qint64 previewRefreshMs = 60;
    // Declared in the order they depend on each other: the advisor uses the discovery and the
    // observer's threads, and goes first.
    StepObserver m_observer;
    ModelDiscovery m_discovery;
    StepAdvisor m_advisor;
    ClickFollower m_follower;
    QString m_goal;
    QList<GuideElement> m_elements;
    QList<Step> m_steps;
    QString m_status;
    bool m_isBusy = false;
    bool m_waitingForModel = false;
    bool m_hasScreenAccess = false;
    bool m_hasAXAccess = false;
    qint64 m_focusToken = 0;
    bool m_showExplainer = true;
    bool m_sessionActive = false;
    bool m_panelOpen = false;
    qint64 m_preparedPid = 0;
    QString m_targetName;
    QString m_readingWindow;
    std::optional<RunningApp> m_targetApp;
    // The application the latest step observed: its windows are the ones the ring is on.
    std::optional<qint64> m_observedPid;
    QString m_activeGoal;
    // Counts the steps started and ended early; a step whose number is no longer current was
    // superseded and leaves the model alone.
    qint64 m_stepGeneration = 0;
    std::shared_ptr<Cancellation> m_stepCancellation;
};
