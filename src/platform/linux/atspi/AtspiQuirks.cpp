// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/atspi/AtspiQuirks.h"

#include <atspi/atspi-constants.h>

#include <QRegularExpression>

namespace AtspiQuirks {

namespace {

// "GtkEntry", "AdwTabBar": a toolkit class. "EditorSourceView": an application's class, one
// word of three or more capitalised parts; no label a person writes looks like that.
bool isClassName(const QString& name)
{
    static const QRegularExpression toolkitClass(QStringLiteral("^(Gtk|Adw|Gdk)[A-Z][A-Za-z]*$"));
    static const QRegularExpression applicationClass(
        QStringLiteral("^[A-Z][a-z0-9]+([A-Z][a-z0-9]+){2,}$"));
    return toolkitClass.match(name).hasMatch() || applicationClass.match(name).hasMatch();
}

} // namespace

QString label(const QString& rawName, bool gtk4)
{
    // Firefox names a switch after the object it embeds, the replacement character alone.
    QString name = rawName;
    name.remove(QChar::ObjectReplacementCharacter);
    if (!gtk4)
        return name;
    if (isClassName(name))
        return {};
    const qsizetype half = name.size() / 2;
    if (name.size() % 2 == 1 && name[half] == u' ' && name.left(half) == name.mid(half + 1))
        return name.left(half);
    return name;
}

bool showsWhenVisible(uint atspiRole, bool gtk4, bool gecko)
{
    return gtk4 || (gecko && atspiRole == ATSPI_ROLE_PANEL);
}

bool listsChildrenByIndex(uint atspiRole, bool managesDescendants)
{
    // Tables manage their cells too, but theirs can be millions, and are no text to read.
    return managesDescendants && atspiRole == ATSPI_ROLE_DOCUMENT_TEXT;
}

bool isDrawnMenuBar(const QRectF& frame)
{
    return frame.width() > 0 && frame.height() > 0;
}

std::optional<QPointF> drawnPaneShift(const QRectF& container, const QRectF& rootPane)
{
    if (container.isEmpty() || container.size() != rootPane.size() ||
        container.topLeft() == rootPane.topLeft())
        return std::nullopt;
    return container.topLeft() - rootPane.topLeft();
}

bool isDrawnByPane(const QRectF& screen, const QRectF& window)
{
    return screen == window;
}

} // namespace AtspiQuirks
