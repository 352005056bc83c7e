// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDeadlineTimer>
#include <QList>
#include <QRectF>
#include <QSet>
#include <QString>

#include <array>
#include <functional>
#include <optional>

/// An opaque handle to a node of another application's accessibility tree. Plain data, so it
/// may travel between threads; only the backend that made it can interpret it.
struct AXNode
{
    QString service;
    QString path;

    friend bool operator==(const AXNode&, const AXNode&) = default;
};

/// Everything the tree walk needs to know about one node. Texts are given as the application
/// reports them (untrimmed); an attribute that could not be read is the empty text.
struct AXNodeAttributes
{
    /// Role in the readable role vocabulary ("AXButton", "AXMenuBarItem", ...).
    QString role;
    QString title;
    QString description;
    /// The text of the node that labels this one, if any.
    QString titleElementValue;
    QString placeholder;
    QString help;
    QString identifier;
    /// Absent when the application does not say.
    std::optional<bool> enabled;
    /// Global top-left-origin points; absent when it could not be read.
    std::optional<QRectF> frame;
    QList<AXNode> children;
    /// The node's popup is open (an expanded list, a selected menu, a shown popover): its
    /// children are what the popup shows.
    bool open = false;
    /// The node is an open popup in a window of its own (a popover inside a window's tree).
    bool popup = false;
    /// For a scroll bar: where it stands in its range (value, least, most); absent when the
    /// application does not say.
    std::optional<std::array<double, 3>> scrollRange;
    /// The node is still loading what it shows (a web page in a new tab): its subtree is not
    /// complete yet.
    bool busy = false;
};

/// The longest text of a paragraph read: more than any line of a list can show.
inline constexpr int maxShownTextLength = 2000;

/// A document's paragraphs and headings: text the tree gives exactly as it is shown. A port
/// reads only their place with the other attributes; their text comes from `shownTexts`.
namespace ShownTextRoles {
inline const QString paragraph = QStringLiteral("AXParagraph");
inline const QString heading = QStringLiteral("AXHeading");
inline bool contains(QStringView role)
{
    return role == paragraph || role == heading;
}
} // namespace ShownTextRoles

/// What an application says it did to its interface.
enum class AXChange
{
    /// Something appeared: a window, a menu, a popover, new children of a node.
    appeared,
    /// Something else changed: a state, a text, a node went.
    changed,
};

/// The top-level nodes of one application that the reader starts from.
struct AXApplicationNodes
{
    std::optional<AXNode> focusedWindow;
    std::optional<AXNode> mainWindow;
    QList<AXNode> windows;
    std::optional<AXNode> menuBar;
    /// Open popups that are top-level nodes of their own (context menus, combo-box lists).
    QList<AXNode> popups;
    /// Dialogs showing beside the focused window that do not block it (a tip of the day, a
    /// find bar in a window of its own): they float above their parent, on screen with it.
    QList<AXNode> dialogs;
};

/// Access to other applications' accessibility trees. Calls block while the target answers
/// and may be made from any thread; none outlasts its deadline (a frozen application makes the
/// calls return less, never wait longer).
class AccessibilityPort
{
public:
    virtual ~AccessibilityPort() = default;

    /// Whether this process may read other applications' trees. Never prompts.
    virtual bool isTrusted() = 0;

    /// The application node of a process, or absent when it exposes none.
    virtual std::optional<AXNode> application(qint64 pid, QDeadlineTimer deadline) = 0;

    /// The windows and menu bar of an application node.
    virtual AXApplicationNodes applicationNodes(const AXNode& application,
                                                QDeadlineTimer deadline) = 0;

    /// Reads a batch of nodes (one level of a breadth-first walk) at once. The result has one
    /// entry per node, in the same order; a node that has gone gives empty attributes. Role,
    /// enabled and children are always read; texts and frame only for nodes whose role is in
    /// `detailRoles`, or for every node when it is null. Nodes that are not showing on screen
    /// report no children.
    virtual QList<AXNodeAttributes>
    read(const QList<AXNode>& batch, const QSet<QString>* detailRoles, QDeadlineTimer deadline) = 0;

    /// The text each of a batch of paragraphs and headings shows, at most
    /// `maxShownTextLength` characters of it, in the same order; empty where it cannot be read.
    virtual QList<QString> shownTexts(const QList<AXNode>& batch, QDeadlineTimer deadline) = 0;

    /// From now on calls `changed` on the main thread for each change the application `pid`
    /// reports about its interface, instead of whatever was watched before; 0 watches nothing.
    /// Applications report changes only while someone listens, so listening starts here and
    /// ends with 0. A desktop whose applications say nothing never calls. Main thread only.
    virtual void watchChanges(qint64 pid, std::function<void(AXChange)> changed) = 0;
};
