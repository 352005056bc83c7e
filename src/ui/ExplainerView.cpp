// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ExplainerView.h"

#include "core/Texts.h"
#include "platform/PermissionsPort.h"
#include "session/GuideModel.h"
#include "ui/PermissionCard.h"
#include "ui/UiStyle.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int refreshMs = 1000;
} // namespace

ExplainerView::ExplainerView(GuideModel& model, PermissionsPort& permissions, QWidget* parent)
    : QScrollArea(parent), m_model(model)
{
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(16);

    column->addWidget(
        UiStyle::label(QStringLiteral("\u25CE ") + Texts::welcome(), UiStyle::TextStyle::title));
    column->addWidget(UiStyle::label(Texts::introduction(), UiStyle::TextStyle::body));
    // Capture is what the desktop offers, nothing to grant: its card only says what it takes.
    const PermissionsPort::CaptureAdvice capture = permissions.captureAdvice();
    m_screen = new PermissionCard(QStringLiteral("\u2B1A"), capture.title, capture.explanation,
                                  std::nullopt, capture.remedy);
    m_accessibility = new PermissionCard(
        QStringLiteral("\u261D"), Texts::accessibility(), Texts::accessibilityText(),
        PermissionCard::Actions{[&permissions] { permissions.requestAccessibility(); },
                                [&permissions] { return permissions.openAccessibilitySettings(); }},
        Texts::noAccessibilitySettings());
    column->addWidget(m_screen);
    column->addWidget(m_accessibility);
    column->addWidget(UiStyle::label(Texts::privacyNote(), UiStyle::TextStyle::callout, true));
    column->addWidget(UiStyle::label(Texts::restartHint(), UiStyle::TextStyle::caption, true));
    auto* actions = new QHBoxLayout;
    actions->addStretch();
    m_continue = new QPushButton(Texts::continueLabel());
    m_continue->setDefault(true);
    actions->addWidget(m_continue);
    column->addLayout(actions);
    column->addStretch();
    setWidget(content);

    connect(m_continue, &QPushButton::clicked, &m_model, &GuideModel::dismissExplainer);
    connect(&m_model, &GuideModel::hasScreenAccessChanged, this, &ExplainerView::updateCards);
    connect(&m_model, &GuideModel::hasAXAccessChanged, this, &ExplainerView::updateCards);
    m_refresh.setInterval(refreshMs);
    connect(&m_refresh, &QTimer::timeout, &m_model, &GuideModel::refreshPermissions);
    updateCards();
}

void ExplainerView::updateCards()
{
    m_screen->setGranted(m_model.hasScreenAccess());
    m_accessibility->setGranted(m_model.hasAXAccess());
}

void ExplainerView::showEvent(QShowEvent* event)
{
    QScrollArea::showEvent(event);
    m_refresh.start();
}

void ExplainerView::hideEvent(QHideEvent* event)
{
    m_refresh.stop();
    QScrollArea::hideEvent(event);
}

// Return continues, wherever the focus is in the explainer.
void ExplainerView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        m_continue->click();
        return;
    }
    QScrollArea::keyPressEvent(event);
}
