// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/RoundedCard.h"

#include <functional>
#include <optional>

class QLabel;
class QVBoxLayout;
class QPushButton;

/// One thing Cuewell needs, on the explainer: what it is for and whether it is there. A
/// permission comes with the two ways to get it (asking the desktop, opening its settings); a
/// requirement of the desktop itself has none, and says what to do while it is missing.
class PermissionCard : public RoundedCard
{
    Q_OBJECT
public:
    struct Actions
    {
        std::function<void()> request;
        /// False when the desktop has no settings to open.
        std::function<bool()> openSettings;
    };

    /// `remedy` is shown when the settings cannot be opened, or for a requirement (no
    /// `actions`) whenever it is not met.
    PermissionCard(const QString& icon, const QString& title, const QString& text,
                   std::optional<Actions> actions, const QString& remedy,
                   QWidget* parent = nullptr);

    void setGranted(bool granted);

    /// Absent on a requirement.
    QPushButton* allowButton() const { return m_allow; }
    QPushButton* settingsButton() const { return m_settings; }
    bool grantedShown() const;
    QLabel* remedyLabel() const { return m_remedy; }

private:
    void addButtons(QVBoxLayout* column, const QString& title, const Actions& actions);

    QLabel* m_granted = nullptr;
    QLabel* m_remedy = nullptr;
    QPushButton* m_allow = nullptr;
    QPushButton* m_settings = nullptr;
};
