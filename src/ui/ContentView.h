// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStackedWidget>

class ExplainerView;
class GuideModel;
class MainView;
class PermissionsPort;

/// The panel's root: the explainer or the main view, as the model's showExplainer says.
class ContentView : public QStackedWidget
{
    Q_OBJECT
public:
    ContentView(GuideModel& model, PermissionsPort& permissions, QWidget* parent = nullptr);

    ExplainerView* explainer() const { return m_explainer; }
    MainView* mainView() const { return m_main; }

private:
    void showChosenView();

    GuideModel& m_model;
    ExplainerView* m_explainer;
    MainView* m_main;
};
