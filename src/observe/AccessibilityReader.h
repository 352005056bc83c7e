// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/AXSnapshot.h"
#include "platform/AccessibilityPort.h"

#include <QSet>
#include <QString>
#include <QStringView>

#include <optional>

/// Reads the actionable elements of an application's current window and menu bar.
namespace AccessibilityReader {

inline constexpr int maxVisitedNodes = 4000;
inline constexpr int maxElements = 400;
/// Nodes deeper than this are examined but not expanded (the window is depth 0).
inline constexpr int maxExpandedDepth = 29;
inline constexpr double minimumExtent = 1.0;
/// The whole read ends by then, however slowly the application answers.
inline constexpr int readBudgetMs = 1000;

/// The label of a text field that has none of its own.
inline const QString unlabeled = QStringLiteral("(unlabeled)");
inline const QString menuBarRole = QStringLiteral("AXMenuBar");
/// Plain text, such as the label beside a field.
inline const QString staticTextRole = QStringLiteral("AXStaticText");
/// An area that shows part of what it holds and scrolls to show the rest.
inline const QString scrollAreaRole = QStringLiteral("AXScrollArea");
/// The bar that scrolls an area, which says how far the area can scroll yet.
inline const QString scrollBarRole = QStringLiteral("AXScrollBar");

/// The most texts of a document one read gives: more than a screen of them.
inline constexpr int maxShownTexts = 200;

/// Roles that become elements.
const QSet<QString>& roles();
/// Roles that become elements inside an open popup: also the items of an open list, which are
/// what the user picks there.
const QSet<QString>& popupRoles();
/// Text-entry roles, kept even without a label.
const QSet<QString>& textRoles();

/// Blocks while the application answers; never fails (failures give fewer elements).
AXSnapshot read(AccessibilityPort& port, qint64 pid);

/// The element a node stands for, or absent (no usable frame, disabled, or no label).
std::optional<GuideElement> makeElement(const AXNodeAttributes& node, const QString& role,
                                        bool menuBar);

/// The node's frame when both sides are larger than the minimum extent.
std::optional<QRectF> usableFrame(const AXNodeAttributes& node);

/// "AXPopUpButton" -> "pop up button".
QString readableRole(QStringView role);

} // namespace AccessibilityReader
