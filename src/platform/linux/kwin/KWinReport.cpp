// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/kwin/KWinReport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {

std::optional<QRect> rectangleOf(const QJsonValue& value)
{
    const QJsonArray r = value.toArray();
    if (r.size() != 4 ||
        !std::all_of(r.begin(), r.end(), [](const auto& v) { return v.isDouble(); }))
        return std::nullopt;
    const QRect rect(r[0].toInt(), r[1].toInt(), r[2].toInt(), r[3].toInt());
    return rect.isValid() ? std::optional(rect) : std::nullopt;
}

struct Listed
{
    CompositorWindow window;
    QString handle;
    double stacking = 0;
};

// A window of the list, or absent for one Cuewell has no use for (a desktop background, a
// minimized window) or one the script cannot have sent.
std::optional<Listed> listedOf(const QJsonObject& w, const QString& active)
{
    const QString kind = w.value(QStringLiteral("kind")).toString();
    const QString handle = w.value(QStringLiteral("id")).toString();
    const qint64 pid = w.value(QStringLiteral("pid")).toInteger();
    const std::optional<QRect> frame = rectangleOf(w.value(QStringLiteral("frame")));
    const std::optional<QRect> buffer = rectangleOf(w.value(QStringLiteral("buffer")));
    if (handle.isEmpty() || pid <= 0 || !frame || !buffer || kind == QLatin1String("desktop") ||
        w.value(QStringLiteral("minimized")).toBool())
        return std::nullopt;
    Listed listed;
    listed.handle = handle;
    listed.stacking = w.value(QStringLiteral("stacking")).toDouble();
    CompositorWindow& window = listed.window;
    window.pid = pid;
    window.popup = kind == QLatin1String("popup");
    // Panels and anything else that is not an application's window or popup float above them.
    window.layer = window.popup || kind == QLatin1String("window") ? 0 : 1;
    window.focused = handle == active;
    window.applicationName = w.value(QStringLiteral("name")).toString();
    window.frame = *frame;
    window.buffer = *buffer;
    return listed;
}

} // namespace

namespace KWinReport {

std::optional<QList<CompositorWindow>> windowsOf(const QByteArray& json, KWinWindowIds& ids)
{
    if (json.size() > maxMessageBytes)
        return std::nullopt;
    const QJsonObject message = QJsonDocument::fromJson(json).object();
    const QJsonValue list = message.value(QStringLiteral("windows"));
    if (!list.isArray() || list.toArray().size() > maxWindows)
        return std::nullopt;
    const QString active = message.value(QStringLiteral("active")).toString();
    QList<Listed> listed;
    for (const QJsonValue& value : list.toArray()) {
        if (std::optional<Listed> window = listedOf(value.toObject(), active))
            listed.append(std::move(*window));
    }
    std::stable_sort(listed.begin(), listed.end(),
                     [](const Listed& a, const Listed& b) { return a.stacking > b.stacking; });
    QList<QString> handles;
    QList<CompositorWindow> windows;
    for (Listed& l : listed) {
        handles.append(l.handle);
        l.window.id = ids.idOf(l.handle);
        windows.append(l.window);
    }
    ids.keepOnly(handles);
    return windows;
}

} // namespace KWinReport
