// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QList>
#include <QMap>
#include <QMetaType>
#include <QString>

/// A reference to an accessible object: the bus name of its application and its object path.
struct AtspiReference
{
    QString service;
    QDBusObjectPath path;
};

/// An extent as (x, y, width, height).
struct AtspiRect
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

/// One relation of an accessible object, such as "labelled by", with its targets.
struct AtspiRelation
{
    uint type = 0;
    QList<AtspiReference> targets;
};

using AtspiReferences = QList<AtspiReference>;
using AtspiRelations = QList<AtspiRelation>;
using AtspiAttributes = QMap<QString, QString>;

Q_DECLARE_METATYPE(AtspiReference)
Q_DECLARE_METATYPE(AtspiRect)
Q_DECLARE_METATYPE(AtspiRelation)

QDBusArgument& operator<<(QDBusArgument& argument, const AtspiReference& reference);
const QDBusArgument& operator>>(const QDBusArgument& argument, AtspiReference& reference);
QDBusArgument& operator<<(QDBusArgument& argument, const AtspiRect& rect);
const QDBusArgument& operator>>(const QDBusArgument& argument, AtspiRect& rect);
QDBusArgument& operator<<(QDBusArgument& argument, const AtspiRelation& relation);
const QDBusArgument& operator>>(const QDBusArgument& argument, AtspiRelation& relation);

/// Registers the types above with QtDBus; safe to call more than once.
void registerAtspiTypes();
