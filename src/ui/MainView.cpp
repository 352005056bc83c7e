// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/MainView.h"

#include "core/Appearance.h"
#include "core/DisplayText.h"
#include "core/Texts.h"
#include "session/GuideModel.h"
#include "ui/ElementList.h"
#include "ui/ModelRow.h"
#include "ui/RoundedCard.h"
#include "ui/StatusLine.h"
#include "ui/UiStyle.h"
#include "ui/WaitingIndicator.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int refreshMs = 2000;

} // namespace

MainView::MainView(GuideModel& model, QWidget* parent) : QScrollArea(parent), m_model(model)
{
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(16, 16, 16, 16);
    column->setSpacing(12);
    // Children are created in layout order, which is also the Tab order.
    column->addWidget(buildGoalRow());
    // The application and the window of it that is read, as two lines of one caption.
    auto* target = new QVBoxLayout;
    target->setSpacing(2);
    m_target = UiStyle::label(QString(), UiStyle::TextStyle::caption, true);
    target->addWidget(m_target);
    m_window = UiStyle::label(QString(), UiStyle::TextStyle::caption, true);
    target->addWidget(m_window);
    column->addLayout(target);
    m_modelRow = new ModelRow(m_model);
    column->addWidget(m_modelRow);
    column->addWidget(buildActionRow());
    column->addWidget(buildStatusRow());
    m_waitingHint = UiStyle::label(QString(), UiStyle::TextStyle::caption, true);
    column->addWidget(m_waitingHint);
    m_waiting = new WaitingIndicator(m_waitingTime, m_waitingHint, this);
    m_notice = UiStyle::label(Texts::accessibilityNotice(), UiStyle::TextStyle::caption, true);
    column->addWidget(m_notice);
    column->addWidget(buildStepCard());
    m_historyHeading = UiStyle::label(Texts::history(), UiStyle::TextStyle::headline);
    column->addWidget(m_historyHeading);
    m_history = new QVBoxLayout;
    m_history->setSpacing(12);
    column->addLayout(m_history);
    m_elements = new ElementList;
    column->addWidget(m_elements);
    column->addStretch();
    column->addWidget(buildFootRow());
    setWidget(content);

    m_refresh.setInterval(refreshMs);
    connect(&m_refresh, &QTimer::timeout, &m_model, &GuideModel::refreshPermissions);
    connectModel();
}

QWidget* MainView::buildGoalRow()
{
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    m_goal = new QLineEdit;
    m_goal->setPlaceholderText(Texts::goalPlaceholder());
    m_goal->setAccessibleName(Texts::goalName());
    m_goal->setClearButtonEnabled(false);
    m_go = new QPushButton(Texts::go());
    m_go->setAutoDefault(false);
    layout->addWidget(m_goal, 1);
    layout->addWidget(m_go);
    connect(m_goal, &QLineEdit::textEdited, &m_model, &GuideModel::setGoal);
    connect(m_goal, &QLineEdit::returnPressed, &m_model, &GuideModel::submit);
    connect(m_go, &QPushButton::clicked, &m_model, &GuideModel::submit);
    return row;
}

QWidget* MainView::buildActionRow()
{
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    m_next = new QPushButton(Texts::nextStep());
    m_stop = new QPushButton(Texts::stop());
    for (QPushButton* b : {m_next, m_stop})
        b->setAutoDefault(false);
    m_follow = new QCheckBox(Texts::followMyClicks());
    m_follow->setToolTip(Texts::followMyClicksHelp());
    m_follow->setAccessibleDescription(Texts::followMyClicksHelp());
    layout->addWidget(m_next);
    layout->addWidget(m_stop);
    layout->addWidget(m_follow);
    layout->addStretch();
    connect(m_next, &QPushButton::clicked, &m_model, &GuideModel::nextStep);
    connect(m_stop, &QPushButton::clicked, &m_model, &GuideModel::stop);
    connect(m_follow, &QCheckBox::toggled, &m_model, &GuideModel::setFollowClicks);
    return row;
}

// The program's settings rather than the session's, at the panel's foot: starting at login
// (shown once something can keep it, the desktop's autostart) and the permissions.
QWidget* MainView::buildFootRow()
{
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    m_startAtLogin = new QCheckBox(Texts::startAtLogin());
    m_startAtLogin->setToolTip(Texts::startAtLoginHelp());
    m_startAtLogin->setAccessibleDescription(Texts::startAtLoginHelp());
    m_startAtLogin->hide();
    m_permissions = new QPushButton(Texts::permissions());
    m_permissions->setAutoDefault(false);
    m_permissions->setFlat(true);
    m_permissions->setCursor(Qt::PointingHandCursor);
    QPalette link = m_permissions->palette();
    link.setColor(QPalette::ButtonText, link.color(QPalette::Link));
    m_permissions->setPalette(link);
    layout->addWidget(m_startAtLogin);
    layout->addStretch();
    layout->addWidget(m_permissions);
    connect(m_permissions, &QPushButton::clicked, this, [this] { m_model.setShowExplainer(true); });
    return row;
}

QWidget* MainView::buildStatusRow()
{
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    m_spinner = new QProgressBar;
    m_spinner->setRange(0, 0); // indeterminate
    m_spinner->setTextVisible(false);
    m_spinner->setFixedSize(36, 10);
    m_spinner->setAccessibleName(Texts::workingName());
    m_status = new StatusLine;
    m_waitingTime = UiStyle::label(QString(), UiStyle::TextStyle::caption, true);
    // One line, as wide as three digits of seconds, so the status beside it never jumps.
    m_waitingTime->setWordWrap(false);
    m_waitingTime->setAlignment(Qt::AlignRight | Qt::AlignTop);
    m_waitingTime->setMinimumWidth(m_waitingTime->fontMetrics().horizontalAdvance(
        Texts::waitingFor(999, WaitingIndicator::limitMs / 1000)));
    layout->addWidget(m_spinner, 0, Qt::AlignTop);
    layout->addWidget(m_status, 1, Qt::AlignTop);
    layout->addWidget(m_waitingTime, 0, Qt::AlignTop);
    return row;
}

QFrame* MainView::buildStepCard()
{
    m_stepCard = new RoundedCard(RoundedCard::Tint::accent);
    auto* inner = new QVBoxLayout(m_stepCard);
    inner->setContentsMargins(10, 10, 10, 10);
    inner->setSpacing(4);
    m_stepHeading = UiStyle::label(QString(), UiStyle::TextStyle::headline);
    m_stepExplanation = UiStyle::label(QString(), UiStyle::TextStyle::body);
    inner->addWidget(m_stepHeading);
    inner->addWidget(m_stepExplanation);
    return m_stepCard;
}

void MainView::connectModel()
{
    GuideModel* m = &m_model;
    connect(m, &GuideModel::goalChanged, this, [this] {
        if (m_goal->text() != m_model.goal())
            m_goal->setText(m_model.goal());
    });
    for (auto signal :
         {&GuideModel::isBusyChanged, &GuideModel::sessionActiveChanged, &GuideModel::stepsChanged})
        connect(m, signal, this, &MainView::updateButtons);
    connect(m, &GuideModel::isBusyChanged, this,
            [this] { m_spinner->setVisible(m_model.isBusy()); });
    connect(m, &GuideModel::waitingForModelChanged, this,
            [this] { m_waiting->setWaiting(m_model.isWaitingForModel()); });
    connect(m, &GuideModel::targetNameChanged, this, &MainView::updateTarget);
    connect(m, &GuideModel::readingWindowChanged, this, &MainView::updateTarget);
    connect(m, &GuideModel::statusChanged, this, &MainView::updateStatus);
    connect(m, &GuideModel::serverStateChanged, this, &MainView::updateStatus);
    connect(m, &GuideModel::hasAXAccessChanged, this, &MainView::updateNotice);
    connect(m, &GuideModel::stepsChanged, this, &MainView::updateSteps);
    connect(m, &GuideModel::elementsChanged, this, &MainView::updateElements);
    connect(m, &GuideModel::focusTokenChanged, this, &MainView::focusGoal);
    connect(m, &GuideModel::followClicksChanged, this,
            [this] { m_follow->setChecked(m_model.followClicks()); });
    connect(m_elements, &ElementList::picked, m, &GuideModel::pick);

    m_goal->setText(m_model.goal());
    m_follow->setChecked(m_model.followClicks());
    m_spinner->setVisible(m_model.isBusy());
    updateButtons();
    updateTarget();
    updateStatus();
    updateNotice();
    updateSteps();
    updateElements();
}

void MainView::updateButtons()
{
    m_go->setEnabled(!m_model.isBusy());
    m_next->setEnabled(m_model.sessionActive() && !m_model.isBusy());
    m_stop->setEnabled(m_model.sessionActive() || !m_model.steps().isEmpty());
}

void MainView::updateTarget()
{
    m_target->setText(Texts::helpingWith() + m_model.targetName());
    m_target->setVisible(!m_model.targetName().isEmpty());
    m_window->setText(Texts::readingWindow() + m_model.readingWindow());
    m_window->setVisible(!m_model.targetName().isEmpty() && !m_model.readingWindow().isEmpty());
}

void MainView::updateStatus()
{
    m_status->setStatus(m_model.status());
    QPalette p = palette();
    if (m_model.serverState() == ServerState::down)
        p.setColor(QPalette::WindowText, Appearance::orange);
    m_status->setPalette(p);
}

void MainView::updateNotice()
{
    m_notice->setVisible(!m_model.hasAXAccess());
}

QStringList MainView::historyLines() const
{
    QStringList lines;
    for (int i = 0; i < m_history->count(); ++i) {
        if (auto* line = qobject_cast<QLabel*>(m_history->itemAt(i)->widget()))
            lines.append(line->text());
    }
    return lines;
}

// History lines are keyed by step: a list that only grew keeps its rows and gains new ones.
void MainView::updateSteps()
{
    const QList<Step> steps = m_model.steps();
    const bool any = !steps.isEmpty();
    m_stepCard->setVisible(any);
    m_historyHeading->setVisible(any);
    if (any) {
        m_stepHeading->setText(DisplayText::bounded(Texts::next() + steps.last().label,
                                                    DisplayText::maxNameGraphemes));
        m_stepExplanation->setText(DisplayText::bounded(steps.last().explanation));
    }
    qsizetype kept = 0;
    while (kept < m_history->count() && kept < steps.size() &&
           m_history->itemAt(static_cast<int>(kept))->widget()->property("stepId").toUuid() ==
               steps[kept].id)
        ++kept;
    while (m_history->count() > kept) {
        QLayoutItem* item = m_history->takeAt(static_cast<int>(kept));
        delete item->widget();
        delete item;
    }
    for (qsizetype i = kept; i < steps.size(); ++i) {
        const Step& step = steps[i];
        QLabel* line = UiStyle::label(
            DisplayText::bounded(Texts::historyLine(step.number, step.label, step.explanation)),
            UiStyle::TextStyle::callout);
        line->setProperty("stepId", step.id);
        m_history->addWidget(line);
    }
}

void MainView::updateElements()
{
    const QList<GuideElement> elements = m_model.elements();
    m_elements->setElements(elements);
    m_elements->setVisible(!elements.isEmpty());
}

void MainView::focusGoal()
{
    m_goal->setFocus(Qt::OtherFocusReason);
}

void MainView::showEvent(QShowEvent* event)
{
    QScrollArea::showEvent(event);
    focusGoal();
    m_model.refreshPermissions();
    m_refresh.start();
}

void MainView::hideEvent(QHideEvent* event)
{
    m_refresh.stop();
    QScrollArea::hideEvent(event);
}
