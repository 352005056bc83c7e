// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QScrollArea>
#include <QTimer>

class GuideModel;
class PermissionsPort;
class PermissionCard;
class QPushButton;

/// The first-run explanation of the two permissions, with a way to get each. Re-reads the
/// permissions every second while shown.
class ExplainerView : public QScrollArea
{
    Q_OBJECT
public:
    ExplainerView(GuideModel& model, PermissionsPort& permissions, QWidget* parent = nullptr);

    PermissionCard* screenCard() const { return m_screen; }
    PermissionCard* accessibilityCard() const { return m_accessibility; }
    QPushButton* continueButton() const { return m_continue; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void updateCards();

    GuideModel& m_model;
    PermissionCard* m_screen;
    PermissionCard* m_accessibility;
    QPushButton* m_continue;
    QTimer m_refresh;
};
