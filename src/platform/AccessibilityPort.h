#pragma once

#include <QList>
#include <QRectF>
#include <QString>

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
};

/// The top-level nodes of one application that the reader starts from.
struct AXApplicationNodes
{
    std::optional<AXNode> focusedWindow;
    std::optional<AXNode> mainWindow;
    QList<AXNode> windows;
    std::optional<AXNode> menuBar;
};

/// Access to other applications' accessibility trees. Calls block while the target answers
/// and may be made from any thread; every call is bounded in time by the backend.
class AccessibilityPort
{
public:
    virtual ~AccessibilityPort() = default;

    /// Whether this process may read other applications' trees. Never prompts.
    virtual bool isTrusted() = 0;

    /// The application node of a process, or absent when it exposes none.
    virtual std::optional<AXNode> application(qint64 pid) = 0;

    /// The windows and menu bar of an application node.
    virtual AXApplicationNodes applicationNodes(const AXNode& application) = 0;

    /// Reads a batch of nodes (one level of a breadth-first walk) at once. The result has one
    /// entry per node, in the same order; a node that has gone gives empty attributes.
    virtual QList<AXNodeAttributes> read(const QList<AXNode>& batch) = 0;
};
