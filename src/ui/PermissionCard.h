// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/RoundedCard.h"

#include <functional>

class QLabel;
class QPushButton;

/// One permission on the explainer: what it is for, whether it is held, and the two ways to
/// get it.
class PermissionCard : public RoundedCard
{
    Q_OBJECT
public:
    PermissionCard(const QString& icon, const QString& title, const QString& text,
                   std::function<void()> request, std::function<bool()> openSettings,
                   const QString& noSettingsText, QWidget* parent = nullptr);

    void setGranted(bool granted);

    QPushButton* allowButton() const { return m_allow; }
    QPushButton* settingsButton() const { return m_settings; }
    bool grantedShown() const;
    QLabel* noSettingsLabel() const { return m_noSettings; }

private:
    QLabel* m_granted;
    QLabel* m_noSettings;
    QPushButton* m_allow;
    QPushButton* m_settings;
};
