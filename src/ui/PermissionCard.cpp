// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/PermissionCard.h"

#include "core/Texts.h"
#include "ui/UiStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

PermissionCard::PermissionCard(const QString& icon, const QString& title, const QString& text,
                               std::optional<Actions> actions, const QString& remedy,
                               QWidget* parent)
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
    // A requirement of the desktop is there or not; only a permission is granted.
    m_granted = UiStyle::label(QStringLiteral("\u2714 ") +
                                   (actions ? Texts::granted() : Texts::available()),
                               UiStyle::TextStyle::caption);
    QPalette green = m_granted->palette();
    green.setColor(QPalette::WindowText, QColor(52, 168, 83));
    m_granted->setPalette(green);
    heading->addWidget(m_granted);
    heading->addStretch();
    column->addLayout(heading);
    column->addWidget(UiStyle::label(text, UiStyle::TextStyle::callout));
    if (actions)
        addButtons(column, title, *actions);
    m_remedy = UiStyle::label(remedy, UiStyle::TextStyle::caption, true);
    m_remedy->hide();
    column->addWidget(m_remedy);
    row->addLayout(column, 1);
    setGranted(false);
}

void PermissionCard::addButtons(QVBoxLayout* column, const QString& title, const Actions& actions)
{
    auto* buttons = new QHBoxLayout;
    m_allow = new QPushButton(Texts::allow());
    m_allow->setAccessibleName(Texts::allowFor(title));
    m_settings = new QPushButton(Texts::openSystemSettings());
    m_settings->setAccessibleName(Texts::openSettingsFor(title));
    m_allow->setAutoDefault(false);
    m_settings->setAutoDefault(false);
    buttons->addWidget(m_allow);
    buttons->addWidget(m_settings);
    buttons->addStretch();
    column->addLayout(buttons);
    connect(m_allow, &QPushButton::clicked, this, [request = actions.request] { request(); });
    connect(m_settings, &QPushButton::clicked, this, [this, open = actions.openSettings] {
        // Where the desktop has no settings to open, the card says what to do instead.
        m_remedy->setVisible(!open());
    });
}

void PermissionCard::setGranted(bool granted)
{
    m_granted->setVisible(granted);
    if (m_allow)
        m_allow->setEnabled(!granted);
    else
        m_remedy->setVisible(!granted);
}

bool PermissionCard::grantedShown() const
{
    return !m_granted->isHidden();
}
