// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/PermissionCard.h"

#include "core/Texts.h"
#include "ui/UiStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

PermissionCard::PermissionCard(const QString& icon, const QString& title, const QString& text,
                               std::function<void()> request, std::function<bool()> openSettings,
                               const QString& noSettingsText, QWidget* parent)
    : RoundedCard(Tint::neutral, parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 12, 12, 12);
    row->setSpacing(12);
    auto* symbol = UiStyle::label(icon, UiStyle::TextStyle::title);
    symbol->setFixedWidth(30);
    symbol->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    symbol->setAccessibleName(QString()); // decoration
    row->addWidget(symbol, 0, Qt::AlignTop);

    auto* column = new QVBoxLayout;
    column->setSpacing(6);
    auto* heading = new QHBoxLayout;
    heading->addWidget(UiStyle::label(title, UiStyle::TextStyle::headline));
    m_granted =
        UiStyle::label(QStringLiteral("\u2714 ") + Texts::granted, UiStyle::TextStyle::caption);
    QPalette green = m_granted->palette();
    green.setColor(QPalette::WindowText, QColor(52, 168, 83));
    m_granted->setPalette(green);
    heading->addWidget(m_granted);
    heading->addStretch();
    column->addLayout(heading);
    column->addWidget(UiStyle::label(text, UiStyle::TextStyle::callout));

    auto* buttons = new QHBoxLayout;
    m_allow = new QPushButton(Texts::allow);
    m_allow->setAccessibleName(Texts::allowFor(title));
    m_settings = new QPushButton(Texts::openSystemSettings);
    m_settings->setAccessibleName(Texts::openSettingsFor(title));
    m_allow->setAutoDefault(false);
    m_settings->setAutoDefault(false);
    buttons->addWidget(m_allow);
    buttons->addWidget(m_settings);
    buttons->addStretch();
    column->addLayout(buttons);
    m_noSettings = UiStyle::label(noSettingsText, UiStyle::TextStyle::caption, true);
    m_noSettings->hide();
    column->addWidget(m_noSettings);
    row->addLayout(column, 1);

    connect(m_allow, &QPushButton::clicked, this, [request] { request(); });
    connect(m_settings, &QPushButton::clicked, this, [this, openSettings] {
        // Where the desktop has no settings to open, the card says what to do instead.
        m_noSettings->setVisible(!openSettings());
    });
    setGranted(false);
}

void PermissionCard::setGranted(bool granted)
{
    m_granted->setVisible(granted);
    m_allow->setEnabled(!granted);
}

bool PermissionCard::grantedShown() const
{
    return !m_granted->isHidden();
}
