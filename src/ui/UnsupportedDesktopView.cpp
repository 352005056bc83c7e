// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/UnsupportedDesktopView.h"

#include "core/Texts.h"
#include "ui/RoundedCard.h"
#include "ui/UiStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

UnsupportedDesktopView::UnsupportedDesktopView(const QString& session, QWidget* parent)
    : QWidget(parent)
{
    setWindowTitle(Texts::appName);
    auto* card = new RoundedCard(RoundedCard::Tint::neutral);
    auto* column = new QVBoxLayout(card);
    column->addWidget(UiStyle::label(Texts::desktopNotSupported(), UiStyle::TextStyle::headline));
    column->addWidget(
        UiStyle::label(Texts::desktopNotSupportedText(session), UiStyle::TextStyle::callout));

    auto* quit = new QPushButton(Texts::quitCuewell());
    connect(quit, &QPushButton::clicked, this, &UnsupportedDesktopView::quitRequested);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(quit);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(card);
    layout->addLayout(buttons);
    setFixedWidth(420);
}
