// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointF>
#include <QRectF>
#include <QString>

#include <optional>

/// What some toolkits report differently from the rest, in one place: each rule names the
/// application and version that needs it. Every function is pure, so each rule is tested on
/// values recorded from that application.
namespace AtspiQuirks {

/// A name that is no label: GTK 4.8 names unlabelled widgets after their class, its own
/// ("GtkMenuButton") or the application's ("EditorSourceView" in gnome-text-editor 43), and
/// names a button after its label twice ("7 7"). Other toolkits' names are kept as they are,
/// but for the object replacement character, which Firefox 153 ESR gives as the name of a
/// switch on its settings page and which no one can read.
QString label(const QString& name, bool gtk4);

/// Whether a node that is visible but not said to be showing is on screen all the same, and its
/// children are walked. GTK 4.8 leaves groups that are on screen without the showing state.
/// Firefox 153 ESR leaves the panel holding a settings page (about:preferences) without it
/// while everything in the panel shows; its other nodes out of view are not showing, rightly.
bool showsWhenVisible(uint atspiRole, bool gtk4, bool gecko);

/// Whether a menu bar with this frame is the one on screen. LibreOffice 7.4 with its GTK 3
/// look keeps a menu bar of its own toolkit in its tree, showing but zero pixels high, beside
/// the GTK menu bar that is drawn; the hidden one's items are not where the menus are.
bool isDrawnMenuBar(const QRectF& frame);

/// LibreOffice 7.4 (GTK 3) draws its toolbars and document with a toolkit of its own inside
/// one GTK container, below the GTK menu bar, and reports that part (a root pane and what is
/// in it) as if it began at the top of the window: everything it draws is off by the menu
/// bar's height. The root pane is the size of the GTK container that holds it; where the two
/// are the same size but placed apart, this is how far the drawn part must move.
std::optional<QPointF> drawnPaneShift(const QRectF& container, const QRectF& rootPane);

/// Inside such a pane, LibreOffice's own controls answer the same extent whatever coordinates
/// are asked for, while the GTK widgets embedded among them (the style and font boxes) answer
/// correctly and must not move. Whether a node with these screen and window extents is one
/// of LibreOffice's own. (A window at the screen's corner answers alike for both; there the
/// pane's own controls, by far the most, are moved.)
bool isDrawnByPane(const QRectF& screen, const QRectF& window);

/// A text document that manages its descendants lists none of them at once: LibreOffice 7.4's
/// Writer answers an empty list for its document's children and gives its paragraphs in view
/// one by one, by index. Whether a node of this role, managing its descendants, is read so,
/// and how many of its children at most.
bool listsChildrenByIndex(uint atspiRole, bool managesDescendants);
inline constexpr int maxChildrenByIndex = 200;

} // namespace AtspiQuirks
