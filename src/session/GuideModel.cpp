// SPDX-License-Identifier: GPL-3.0-or-later
// The model's state: start-up, the observable properties and the permission flags.
#include "session/GuideModel.h"

#include "core/DisplayText.h"
#include "core/OutsideText.h"
#include "core/Texts.h"
#include "platform/PermissionsPort.h"
#include "session/FocusRule.h"
#include "session/SessionLog.h"

#include <QPointer>
#include <QSettings>
#include <QTimer>

namespace {
const QString seenExplainerKey = QStringLiteral("seenExplainer");
} // namespace

GuideModel::GuideModel(GuideServices services, QObject* parent)
    : QObject(parent), m_services(services), m_discovery(services.modelServer, services.settings),
      m_follower(services.pointer, services.windows, services.settings), m_status(Texts::typeAGoal)
{
    m_recognising.setMaxThreadCount(1);
    m_recognising.setExpiryTimeout(-1);
    connect(&m_discovery, &ModelDiscovery::providerChanged, this, &GuideModel::providerChanged);
    connect(&m_discovery, &ModelDiscovery::modelsChanged, this, &GuideModel::modelsChanged);
    connect(&m_discovery, &ModelDiscovery::selectedModelChanged, this,
            &GuideModel::selectedModelChanged);
    connect(&m_discovery, &ModelDiscovery::serverStateChanged, this,
            &GuideModel::serverStateChanged);
    connect(&m_follower, &ClickFollower::enabledChanged, this, &GuideModel::followClicksChanged);
    connect(&m_follower, &ClickFollower::followed, this, &GuideModel::nextStep);

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
    QTimer::singleShot(0, this, [this, app] { setTarget(app); });
}

void GuideModel::refreshPermissions()
{
    m_hasScreenAccess = m_services.permissions.mayCapture();
    emit hasScreenAccessChanged();
    // Idle, the status says whether a goal can be followed at all.
    const QString missing = m_services.permissions.captureAdvice().missing;
    if (!m_isBusy && !m_hasScreenAccess && m_status == Texts::typeAGoal) {
        setStatus(missing);
        setShowExplainer(true);
    } else if (!m_isBusy && m_hasScreenAccess && m_status == missing)
        setStatus(Texts::typeAGoal);
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

void GuideModel::setTargetName(const QString& name)
{
    m_targetName = OutsideText::tamed(name, DisplayText::maxNameGraphemes);
    emit targetNameChanged();
}
