// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ContentView.h"

#include "session/GuideModel.h"
#include "ui/ExplainerView.h"
#include "ui/MainView.h"

#include <QLineEdit>

namespace {
const QSize smallest(440, 560);
} // namespace

ContentView::ContentView(GuideModel& model, PermissionsPort& permissions, QWidget* parent)
    : QStackedWidget(parent), m_model(model)
{
    setMinimumSize(smallest);
    m_explainer = new ExplainerView(model, permissions);
    m_main = new MainView(model);
    addWidget(m_explainer);
    addWidget(m_main);
    connect(&m_model, &GuideModel::showExplainerChanged, this, &ContentView::showChosenView);
    showChosenView();
}

void ContentView::showChosenView()
{
    setCurrentWidget(m_model.showExplainer() ? static_cast<QWidget*>(m_explainer) : m_main);
    if (!m_model.showExplainer())
        m_main->goalField()->setFocus(Qt::OtherFocusReason);
}
