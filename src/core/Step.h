// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRectF>
#include <QString>
#include <QUuid>
#include <QtGlobal>

/// One recorded instruction of the session history. Identified by `id`; not comparable.
struct Step
{
    QUuid id;
    qint64 number = 0;
    QString label;
    QString explanation;
    QRectF frame;
    bool manual = false;
};
