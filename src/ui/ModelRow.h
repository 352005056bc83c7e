// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class GuideModel;
class QButtonGroup;
class QComboBox;
class QLabel;
class QToolButton;

/// The model server and model in use: a two-way provider switch, the model picker (or a
/// notice when there are no models), and a refresh button.
class ModelRow : public QWidget
{
    Q_OBJECT
public:
    explicit ModelRow(GuideModel& model, QWidget* parent = nullptr);

    QToolButton* providerButton(int index) const;
    QComboBox* modelPicker() const { return m_models; }
    QLabel* notice() const { return m_notice; }
    QToolButton* refreshButton() const { return m_refresh; }

private:
    void updateProvider();
    void updateModels();

    GuideModel& m_model;
    QButtonGroup* m_providers;
    QComboBox* m_models;
    QLabel* m_notice;
    QToolButton* m_refresh;
};
