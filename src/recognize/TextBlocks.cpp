// SPDX-License-Identifier: GPL-3.0-or-later
#include "recognize/TextBlocks.h"

#include <QHash>
#include <QPainter>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

namespace TextBlocks {
namespace {

// A stretch of rows or columns: [begin, end).
struct Span
{
    int begin;
    int end;
};

// The pixels of the image that belong to a layer above the one being cut.
class Cover
{
public:
    Cover(QSize size, const QList<QRect>& above) : m_width(size.width())
    {
        if (above.isEmpty())
            return;
        m_hidden.assign(static_cast<size_t>(size.width()) * static_cast<size_t>(size.height()),
                        false);
        for (const QRect& rect : above) {
            const QRect r = rect.intersected(QRect(QPoint(), size));
            for (int y = r.top(); y <= r.bottom(); ++y)
                std::fill_n(m_hidden.begin() + index(r.left(), y), r.width(), true);
        }
    }

    bool hides(int x, int y) const { return !m_hidden.empty() && m_hidden[index(x, y)]; }

private:
    std::ptrdiff_t index(int x, int y) const { return std::ptrdiff_t(y) * m_width + x; }

    int m_width;
    std::vector<bool> m_hidden;
};

// One layer (the window or a popup) being cut.
struct Layer
{
    const QImage& image;
    const Cover& cover;

    quint32 pixel(int x, int y) const
    {
        return reinterpret_cast<const quint32*>(image.constScanLine(y))[x];
    }
};

// An area being cut: `content` holds everything drawn in it; `room` is `content` plus the
// blank space it may take as margin.
struct Area
{
    QRect content;
    QRect room;
};

// Whether the pixels from `from` in steps of (dx, dy), `count` of them, are one colour, hidden
// pixels aside.
bool oneColour(const Layer& layer, QPoint from, int dx, int dy, int count)
{
    std::optional<quint32> colour;
    for (int i = 0; i < count; ++i) {
        const int x = from.x() + i * dx;
        const int y = from.y() + i * dy;
        if (layer.cover.hides(x, y))
            continue;
        const quint32 p = layer.pixel(x, y);
        if (colour && *colour != p)
            return false;
        colour = p;
    }
    return true;
}

// Whether each row of `area` is one colour. (Rows that merely repeat the row above are not
// blank: the stems of letters such as "m" do that.)
std::vector<bool> blankRows(const Layer& layer, const QRect& area)
{
    std::vector<bool> blank(static_cast<size_t>(area.height()));
    for (int y = area.top(); y <= area.bottom(); ++y)
        blank[static_cast<size_t>(y - area.top())] =
            oneColour(layer, QPoint(area.left(), y), 1, 0, area.width());
    return blank;
}

// For each column of `area`, whether it repeats the column to its left (the first column:
// whether the second repeats it), hidden pixels aside. A run of such columns as wide as
// `columnGap` holds no text.
std::vector<bool> blankColumns(const Layer& layer, const QRect& area)
{
    std::vector<bool> same(static_cast<size_t>(area.width()), true);
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left() + 1; x <= area.right(); ++x) {
            if (layer.cover.hides(x, y) || layer.cover.hides(x - 1, y))
                continue;
            if (layer.pixel(x, y) != layer.pixel(x - 1, y))
                same[static_cast<size_t>(x - area.left())] = false;
        }
    }
    same[0] = same.size() > 1 && same[1];
    return same;
}

// Frames drawn around an area (a popup's border, a panel's edge) are lines at its left and
// right, which keep every row from being blank. They hold no text: a line as tall as several
// text lines is marked blank, so that the area inside is cut. (Top and bottom edges are blank
// rows already.)
void peelFrameLines(const Layer& layer, const QRect& area, std::vector<bool>& columns)
{
    constexpr int thickest = 2;
    constexpr int shortestFrame = 18; // taller than one line of interface text
    if (area.height() < shortestFrame)
        return;
    const int count = static_cast<int>(columns.size());
    const auto peel = [&](int from, int step) {
        int i = from;
        while (i >= 0 && i < count && std::abs(i - from) < thickest &&
               oneColour(layer, QPoint(area.left() + i, area.top()), 0, 1, area.height()))
            i += step;
        if (i != from && i >= 0 && i < count && columns[static_cast<size_t>(i)]) {
            for (int j = from; j != i; j += step)
                columns[static_cast<size_t>(j)] = true;
        }
    };
    peel(0, 1);
    peel(count - 1, -1);
}

// The stretches of content between blank runs of at least `gap`; blank runs at either end are
// left out whatever their length.
std::vector<Span> contentSpans(const std::vector<bool>& blank, int offset, int gap)
{
    std::vector<Span> spans;
    const int count = static_cast<int>(blank.size());
    int start = 0;
    int i = 0;
    while (i < count) {
        if (!blank[static_cast<size_t>(i)]) {
            ++i;
            continue;
        }
        int runEnd = i;
        while (runEnd < count && blank[static_cast<size_t>(runEnd)])
            ++runEnd;
        if (i == 0 || runEnd == count || runEnd - i >= gap) {
            if (i > start)
                spans.push_back({offset + start, offset + i});
            start = runEnd;
        }
        i = runEnd;
    }
    if (start < count)
        spans.push_back({offset + start, offset + count});
    return spans;
}

// The part of the room between the middles of the blank runs around spans[index].
Span roomAlong(const std::vector<Span>& spans, size_t index, Span outer)
{
    const int before = index == 0 ? outer.begin : (spans[index - 1].end + spans[index].begin) / 2;
    const int after =
        index + 1 == spans.size() ? outer.end : (spans[index].end + spans[index + 1].begin) / 2;
    return {before, after};
}

void cut(const Layer& layer, const Area& area, QList<QRect>& blocks);

// Cuts `area` into the areas of `spans` along y (rows) or x; false when `spans` is the whole.
bool cutAlong(const Layer& layer, const Area& area, const std::vector<Span>& spans, bool rows,
              QList<QRect>& blocks)
{
    const QRect& c = area.content;
    const QRect& r = area.room;
    const Span whole = rows ? Span{c.top(), c.bottom() + 1} : Span{c.left(), c.right() + 1};
    if (spans.size() == 1 && spans[0].begin == whole.begin && spans[0].end == whole.end)
        return false;
    const Span outer = rows ? Span{r.top(), r.bottom() + 1} : Span{r.left(), r.right() + 1};
    for (size_t i = 0; i < spans.size(); ++i) {
        const Span room = roomAlong(spans, i, outer);
        const Span s = spans[i];
        const Area part = rows
                              ? Area{QRect(c.left(), s.begin, c.width(), s.end - s.begin),
                                     QRect(r.left(), room.begin, r.width(), room.end - room.begin)}
                              : Area{QRect(s.begin, c.top(), s.end - s.begin, c.height()),
                                     QRect(room.begin, r.top(), room.end - room.begin, r.height())};
        cut(layer, part, blocks);
    }
    return true;
}

void cut(const Layer& layer, const Area& area, QList<QRect>& blocks)
{
    const QRect& c = area.content;
    if (c.isEmpty())
        return;
    if (cutAlong(layer, area, contentSpans(blankRows(layer, c), c.top(), rowGap), true, blocks))
        return;
    std::vector<bool> columns = blankColumns(layer, c);
    peelFrameLines(layer, c, columns);
    if (cutAlong(layer, area, contentSpans(columns, c.left(), columnGap), false, blocks))
        return;
    if (c.height() >= minTextHeight)
        blocks.append(c.adjusted(-margin, -margin, margin, margin).intersected(area.room));
}

// The blocks of one layer: `rect` of the image, under the layers `above`.
void addLayer(const QImage& image, const QRect& rect, const QList<QRect>& above,
              QList<Block>& blocks)
{
    const Cover cover(image.size(), above);
    QList<QRect> found;
    cut(Layer{image, cover}, {rect, rect}, found);
    for (const QRect& r : found) {
        Block block{r, {}};
        for (const QRect& hiding : above) {
            if (hiding.intersects(r))
                block.hidden.append(hiding.intersected(r));
        }
        blocks.append(block);
    }
}

bool isHidden(const Block& block, QPoint p)
{
    return std::any_of(block.hidden.cbegin(), block.hidden.cend(),
                       [p](const QRect& r) { return r.contains(p); });
}

// The colour most common along the block's edges, where it is not hidden: its margin's, as a
// rule (content may touch an edge of the image, a popup may cover a corner).
QRgb backgroundOf(const QImage& image, const Block& block)
{
    const QRect& r = block.rect;
    QHash<QRgb, int> seen;
    const auto count = [&](int x, int y) {
        if (!isHidden(block, QPoint(x, y)))
            ++seen[image.pixel(x, y)];
    };
    for (int x = r.left(); x <= r.right(); ++x) {
        count(x, r.top());
        count(x, r.bottom());
    }
    for (int y = r.top(); y <= r.bottom(); ++y) {
        count(r.left(), y);
        count(r.right(), y);
    }
    QRgb most = image.pixel(r.topLeft());
    int times = 0;
    for (auto it = seen.cbegin(); it != seen.cend(); ++it) {
        if (it.value() > times || (it.value() == times && it.key() < most)) {
            most = it.key();
            times = it.value();
        }
    }
    return most;
}

} // namespace

QList<Block> of(const QImage& image, const QList<QRect>& popups)
{
    QList<Block> blocks;
    if (image.isNull() || image.depth() != 32)
        return blocks;
    const QRect whole = image.rect();
    addLayer(image, whole, popups, blocks);
    for (qsizetype i = 0; i < popups.size(); ++i) {
        const QRect popup = popups[i].intersected(whole);
        if (!popup.isEmpty())
            addLayer(image, popup, popups.mid(i + 1), blocks);
    }
    return blocks;
}

QImage pixelsOf(const QImage& image, const Block& block)
{
    QImage pixels = image.copy(block.rect);
    if (block.hidden.isEmpty())
        return pixels;
    const QColor background = QColor::fromRgb(backgroundOf(image, block));
    QPainter painter(&pixels);
    for (const QRect& hidden : block.hidden)
        painter.fillRect(hidden.translated(-block.rect.topLeft()), background);
    return pixels;
}

void paintOver(QImage& image, const QList<QRect>& areas)
{
    QPainter painter(&image);
    for (const QRect& area : areas) {
        const QRect inside = area.intersected(image.rect());
        if (inside.isEmpty())
            continue;
        const QRect around = inside.adjusted(-1, -1, 1, 1).intersected(image.rect());
        painter.fillRect(inside, QColor::fromRgb(backgroundOf(image, Block{around, {inside}})));
    }
}

} // namespace TextBlocks
