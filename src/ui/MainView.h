// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QScrollArea>
#include <QTimer>

class ElementList;
class QCheckBox;
class GuideModel;
class ModelRow;
class QLabel;
class StatusLine;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QVBoxLayout;
class QFrame;
class WaitingIndicator;

/// The working surface: goal, model row, session buttons, status, the last step, the history
/// and the detected elements. Holds no session state; re-reads the permissions every two
/// seconds while shown.
class MainView : public QScrollArea
{
    Q_OBJECT
public:
    explicit MainView(GuideModel& model, QWidget* parent = nullptr);

    QLineEdit* goalField() const { return m_goal; }
    QPushButton* goButton() const { return m_go; }
    QPushButton* nextButton() const { return m_next; }
    QPushButton* stopButton() const { return m_stop; }
    QPushButton* permissionsButton() const { return m_permissions; }
    QCheckBox* followClicksBox() const { return m_follow; }
    /// "Start Cuewell when I log in": hidden until something binds it to the desktop.
    QCheckBox* startAtLoginBox() const { return m_startAtLogin; }
    QLabel* targetLine() const { return m_target; }
    QLabel* windowLine() const { return m_window; }
    StatusLine* statusLine() const { return m_status; }
    QLabel* waitingTime() const { return m_waitingTime; }
    QLabel* waitingHint() const { return m_waitingHint; }
    WaitingIndicator* waitingIndicator() const { return m_waiting; }
    QProgressBar* spinner() const { return m_spinner; }
    QLabel* accessibilityNotice() const { return m_notice; }
    QFrame* stepCard() const { return m_stepCard; }
    QLabel* stepHeading() const { return m_stepHeading; }
    QLabel* stepExplanation() const { return m_stepExplanation; }
    QLabel* historyHeading() const { return m_historyHeading; }
    QStringList historyLines() const;
    ElementList* elementList() const { return m_elements; }
    ModelRow* modelRow() const { return m_modelRow; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QWidget* buildGoalRow();
    QWidget* buildActionRow();
    QWidget* buildFootRow();
    QWidget* buildStatusRow();
    QFrame* buildStepCard();
    void connectModel();
    void updateButtons();
    void updateTarget();
    void updateStatus();
    void updateNotice();
    void updateSteps();
    void updateElements();
    void focusGoal();

    GuideModel& m_model;
    QLineEdit* m_goal;
    QPushButton* m_go;
    QLabel* m_target;
    QLabel* m_window;
    ModelRow* m_modelRow;
    QPushButton* m_next;
    QPushButton* m_stop;
    QCheckBox* m_follow;
    QCheckBox* m_startAtLogin;
    QPushButton* m_permissions;
    QProgressBar* m_spinner;
    StatusLine* m_status;
    QLabel* m_waitingTime;
    QLabel* m_waitingHint;
    WaitingIndicator* m_waiting;
    QLabel* m_notice;
    QFrame* m_stepCard;
    QLabel* m_stepHeading;
    QLabel* m_stepExplanation;
    QLabel* m_historyHeading;
    QVBoxLayout* m_history;
    ElementList* m_elements;
    QTimer m_refresh;
};
