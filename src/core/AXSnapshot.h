// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/GuideElement.h"
#include "core/ScrollHint.h"
#include "core/TextLine.h"

#include <QList>
#include <QRectF>

#include <optional>

/// The result of one accessibility read: the elements of the application's open popups first
/// (what the user is looking at), then those of dialogs floating beside the window, then the
/// menu-bar items, then the window's elements in
/// breadth-first order; the frame of the window that was read; and the texts beside controls
/// that have no label of their own, which may name them.
struct AXSnapshot
{
    QList<GuideElement> elements;
    std::optional<QRectF> windowFrame;
    /// The title of the window that was read, as the application gives it.
    QString windowTitle;
    QList<TextLine> labels;
    /// The paragraphs and headings of a document in the window that are in view, with the
    /// text the application holds for them: no need to recognise it on the pixels.
    QList<TextLine> shownTexts;
    /// The scrolled area holding the most controls out of view, if any does.
    std::optional<ScrollHint> scrollHint;
    /// Part of what was read is still loading (a page in a new tab): a read a moment later
    /// finds more.
    bool loading = false;
    /// The read went through what it meant to before its time ran out.
    bool complete = true;
};
