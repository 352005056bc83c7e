// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ModelRow.h"

#include "core/DisplayText.h"
#include "core/Texts.h"
#include "session/GuideModel.h"
#include "ui/UiStyle.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QToolButton>

namespace {

constexpr int providerSwitchWidth = 170;
// A picker longer than this is of no use to anyone, and slow to fill.
constexpr qsizetype maxListedModels = 500;

// The models the picker offers: the first ones of the server's list, and the chosen one.
QStringList shownModels(const QStringList& models, const QString& selected)
{
    QStringList shown = models.mid(0, maxListedModels);
    if (!selected.isEmpty() && models.contains(selected) && !shown.contains(selected))
        shown.append(selected);
    return shown;
}

} // namespace

ModelRow::ModelRow(GuideModel& model, QWidget* parent) : QWidget(parent), m_model(model)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);

    // A segmented switch: two exclusive buttons side by side, 170 pixels together.
    auto* segments = new QHBoxLayout;
    segments->setSpacing(0);
    m_providers = new QButtonGroup(this);
    m_providers->setExclusive(true);
    for (int i = 0; i < Providers::allCases.size(); ++i) {
        auto* segment = new QToolButton;
        segment->setText(Providers::rawValue(Providers::allCases[i]));
        segment->setCheckable(true);
        segment->setFixedWidth(providerSwitchWidth / 2);
        segment->setAccessibleName(segment->text());
        m_providers->addButton(segment, i);
        segments->addWidget(segment);
    }
    row->addLayout(segments);

    m_models = new QComboBox;
    m_models->setAccessibleName(Texts::modelName());
    m_models->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    row->addWidget(m_models);
    m_notice = UiStyle::label(QString(), UiStyle::TextStyle::caption, true);
    m_notice->setWordWrap(false);
    row->addWidget(m_notice);
    row->addStretch();

    m_refresh = new QToolButton;
    m_refresh->setIcon(QIcon::fromTheme(QStringLiteral("view-refresh")));
    if (m_refresh->icon().isNull())
        m_refresh->setText(QStringLiteral("\u21BB"));
    m_refresh->setToolTip(Texts::refreshModels());
    m_refresh->setAccessibleName(Texts::refreshModels());
    row->addWidget(m_refresh);

    connect(m_providers, &QButtonGroup::idClicked, this,
            [this](int id) { m_model.setProvider(Providers::allCases[id]); });
    connect(m_models, &QComboBox::activated, this,
            [this](int index) { m_model.setSelectedModel(m_models->itemData(index).toString()); });
    connect(m_refresh, &QToolButton::clicked, this, [this] { m_model.refreshModels(); });
    connect(&m_model, &GuideModel::providerChanged, this, &ModelRow::updateProvider);
    connect(&m_model, &GuideModel::modelsChanged, this, &ModelRow::updateModels);
    connect(&m_model, &GuideModel::selectedModelChanged, this, &ModelRow::updateModels);
    connect(&m_model, &GuideModel::serverStateChanged, this, &ModelRow::updateModels);
    updateProvider();
    updateModels();
}

QToolButton* ModelRow::providerButton(int index) const
{
    return static_cast<QToolButton*>(m_providers->button(index));
}

void ModelRow::updateProvider()
{
    const int index = static_cast<int>(Providers::allCases.indexOf(m_model.provider()));
    m_providers->button(index)->setChecked(true);
}

void ModelRow::updateModels()
{
    const QStringList models = m_model.models();
    const bool none = models.isEmpty();
    m_notice->setText(m_model.serverState() == ServerState::down ? Texts::notRunning()
                                                                 : Texts::noModels());
    m_notice->setVisible(none);
    m_models->setVisible(!none);
    const QSignalBlocker quiet(m_models);
    const QStringList listed = shownModels(models, m_model.selectedModel());
    QStringList shown;
    for (int i = 0; i < m_models->count(); ++i)
        shown.append(m_models->itemData(i).toString());
    if (shown != listed) {
        m_models->clear();
        for (const QString& name : listed)
            m_models->addItem(DisplayText::bounded(name, DisplayText::maxNameGraphemes), name);
    }
    m_models->setCurrentIndex(static_cast<int>(listed.indexOf(m_model.selectedModel())));
}
