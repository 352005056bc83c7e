// SPDX-License-Identifier: GPL-3.0-or-later
#include "recognize/TextRecognizer.h"
#include "recognize/TextBlocks.h"

#include <algorithm>

#include <QPainter>
#include <QTest>

namespace {

// Words as strokes with gaps, as letters have, on a plain or shaded background.
QImage page(QSize size, const QList<QRect>& words, bool shaded = false)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        const int grey = shaded ? 150 + y % 100 : 255;
        for (int x = 0; x < size.width(); ++x)
            image.setPixelColor(x, y, QColor(grey, grey, grey));
    }
    QPainter painter(&image);
    for (const QRect& word : words) {
        for (int x = word.left(); x <= word.right(); x += 3)
            painter.fillRect(QRect(x, word.top(), 2, word.height()), Qt::black);
    }
    return image;
}

QList<QRect> rects(const QList<TextBlocks::Block>& blocks)
{
    QList<QRect> out;
    for (const TextBlocks::Block& block : blocks)
        out.append(block.rect);
    return out;
}

// Reads each image it is given as one line filling it, and keeps the images' sizes.
class WholeImageEngine : public TextRecognitionPort
{
public:
    QList<QSize> sizes;
    QList<RecognizedLine> recognize(const QImage& image) override
    {
        sizes.append(image.size());
        return {{QStringLiteral("line"), QRectF(0, 0, 1, 1)}};
    }
};

} // namespace

class TextRecognizerTest : public QObject
{
    Q_OBJECT

private slots:
    void boxesLandOnTheWindowTopFirst()
    {
        const QList<RecognizedLine> lines{
            {QStringLiteral("low"), QRectF(0.1, 0.3, 0.2, 0.1)},
            {std::nullopt, QRectF(0.1, 0.9, 0.2, 0.05)},
            {QStringLiteral("middle"), QRectF(0.25, 0.5, 0.5, 0.1)},
            {QStringLiteral("high"), QRectF(0.1, 0.85, 0.2, 0.05)},
            {QStringLiteral("also middle"), QRectF(0.6, 0.5, 0.2, 0.1)},
        };
        const QList<TextLine> placed =
            TextRecognizer::placeOnWindow(lines, QRectF(100, 50, 800, 600));
        QCOMPARE(placed.size(), 4);
        QCOMPARE(placed[0].text, QStringLiteral("high"));
        // Equal top edges keep the engine's order.
        QCOMPARE(placed[1].text, QStringLiteral("middle"));
        QCOMPARE(placed[2].text, QStringLiteral("also middle"));
        QCOMPARE(placed[3].text, QStringLiteral("low"));
        QCOMPARE(placed[1].frame, QRectF(300, 290, 400, 60));
    }

    void blocksAreCutAlongBlankSpaceOnly()
    {
        const QRect a(10, 10, 60, 12), b(80, 10, 40, 12), c(200, 10, 40, 12);
        const QRect d(10, 40, 60, 12), e(10, 55, 30, 12);
        const QList<QRect> words{a, b, c, d, e};
        const QList<QRect> blocks = rects(TextBlocks::of(page(QSize(400, 200), words)));
        // Words a short gap apart stay together, and so do lines a few rows apart.
        QCOMPARE(blocks.size(), 3);
        QVERIFY(blocks[0].contains(a.united(b)));
        QVERIFY(blocks[1].contains(c));
        QVERIFY(blocks[2].contains(d.united(e)));
        for (const QRect& block : blocks) {
            for (const QRect& other : blocks)
                QVERIFY(&block == &other || !block.intersects(other));
            QRect held;
            for (const QRect& word : words) {
                QVERIFY(block.contains(word) || !block.intersects(word));
                if (block.contains(word))
                    held |= word;
            }
            // Only a margin of blank space is taken (strokes reach 1 px past a word's edge).
            const int m = TextBlocks::margin;
            QVERIFY(held.adjusted(-m, -m, m + 2, m).contains(block));
        }

        // A background shaded from top to bottom is as blank as a plain one.
        const QList<QRect> shaded = rects(TextBlocks::of(page(QSize(400, 200), words, true)));
        QCOMPARE(shaded.size(), blocks.size());
        for (qsizetype i = 0; i < blocks.size(); ++i) {
            for (const QRect& word : words)
                QCOMPARE(shaded[i].contains(word), blocks[i].contains(word));
        }
        // Nothing drawn, or only a rule, holds no text.
        QVERIFY(TextBlocks::of(page(QSize(400, 200), {})).isEmpty());
        QVERIFY(TextBlocks::of(page(QSize(400, 200), {QRect(0, 100, 400, 2)})).isEmpty());
    }

    void aPopupIsCutOnItsOwnAndHiddenFromTheWindow()
    {
        const QRect behind(120, 100, 100, 12); // a word the menu partly covers
        const QList<QRect> words{QRect(10, 10, 60, 12), QRect(200, 10, 40, 12),
                                 QRect(10, 40, 60, 12), behind};
        QImage image = page(QSize(400, 200), words);
        const QList<QRect> alone = rects(TextBlocks::of(image));
        // A bordered menu with two items opens over the covered word's top-left corner.
        const QRect menu(60, 60, 70, 45);
        QPainter painter(&image);
        painter.fillRect(menu, Qt::darkGray);
        painter.fillRect(menu.adjusted(1, 1, -1, -1), QColor(200, 220, 255));
        for (const QRect& item : {QRect(70, 66, 40, 8), QRect(70, 84, 50, 8)}) {
            for (int x = item.left(); x <= item.right(); x += 3)
                painter.fillRect(QRect(x, item.top(), 2, item.height()), Qt::black);
        }
        painter.end();

        const QList<TextBlocks::Block> blocks = TextBlocks::of(image, {menu});
        // The window's blocks are those it had without the menu; the menu's follow, inside it.
        QCOMPARE(blocks.size(), alone.size() + 2);
        QCOMPARE(rects(blocks.mid(0, alone.size())), alone);
        for (const TextBlocks::Block& item : blocks.mid(alone.size()))
            QVERIFY(menu.contains(item.rect));

        // The covered word's block has the menu painted out in the window's colour, although
        // the menu lies over its corner.
        const TextBlocks::Block& covered = blocks[alone.size() - 1];
        QVERIFY(covered.rect.contains(behind));
        QCOMPARE(covered.hidden, QList<QRect>{covered.rect.intersected(menu)});
        const QImage pixels = TextBlocks::pixelsOf(image, covered);
        QCOMPARE(pixels.pixelColor(0, 0), QColor(Qt::white));
        const QPoint inside = covered.hidden.first().center() - covered.rect.topLeft();
        QCOMPARE(pixels.pixelColor(inside), QColor(Qt::white));
        QCOMPARE(pixels.pixelColor(behind.bottomRight() - covered.rect.topLeft()),
                 QColor(Qt::black)); // the visible part of the word stays
    }

    void textKnownAlreadyIsNotReadUnlessAPopupCoversIt()
    {
        WholeImageEngine engine;
        // A word, and a paragraph whose text the application gave.
        const QImage image =
            page(QSize(400, 200), {QRect(10, 10, 60, 12), QRect(200, 100, 100, 12)});
        const QRectF frame(1000, 500, 400, 200);
        const QRectF paragraph(1200, 600, 100, 12);
        QList<TextLine> lines =
            TextRecognizer::recognize(engine, {image, frame, 0, {}}, nullptr, {paragraph});
        QCOMPARE(lines.size(), 1);
        QVERIFY(lines[0].frame.contains(QRectF(1010, 510, 60, 12)));

        // A menu open over the paragraph shows its own item there, which is read.
        QImage withMenu = image;
        const QRect menu(190, 90, 130, 40);
        QPainter painter(&withMenu);
        painter.fillRect(menu, QColor(200, 220, 255));
        for (int x = 200; x <= 260; x += 3)
            painter.fillRect(QRect(x, 105, 2, 8), Qt::black);
        painter.end();
        lines =
            TextRecognizer::recognize(engine, {withMenu, frame, 0, {menu}}, nullptr, {paragraph});
        QCOMPARE(lines.size(), 2);
        QVERIFY(QRectF(menu.translated(1000, 500)).contains(lines[1].frame));
    }

    // A menu opens over the window: the window's parts are those read before it opened (and
    // remembered), what the menu hides of them is dropped, and of the menu only what the tree
    // does not name is read.
    void aMenuOpenOverTheWindowCostsOnlyWhatItShowsAnew()
    {
        WholeImageEngine engine;
        RecognitionCache cache;
        const QRectF frame(1000, 500, 400, 200);
        const QRect hiddenWord(30, 100, 60, 12), shownWord(300, 150, 60, 12);
        const QImage window = page(QSize(400, 200), {QRect(10, 10, 60, 12), hiddenWord, shownWord});
        const QList<TextLine> before =
            TextRecognizer::recognize(engine, {window, frame, 0, {}}, &cache);
        QCOMPARE(before.size(), 3);
        const qsizetype readBefore = engine.sizes.size();

        // The menu: two items the tree names, and a heading it does not.
        QImage withMenu = window;
        const QRect menu(20, 60, 150, 130);
        QPainter painter(&withMenu);
        painter.fillRect(menu, QColor(235, 235, 235));
        for (const int top : {70, 110, 150}) {
            for (int x = 30; x <= 120; x += 3)
                painter.fillRect(QRect(x, top, 2, 10), Qt::black);
        }
        painter.end();
        const QRectF heading(1020, 560, 150, 30), item1(1020, 600, 150, 30),
            item2(1020, 640, 150, 30);
        const CapturedWindow shown{withMenu, frame, 0, {menu}, window};
        const QList<TextLine> after =
            TextRecognizer::recognize(engine, shown, &cache, {}, {item1, item2});
        // The window's two words in view, from memory, and the menu's heading, read anew.
        QCOMPARE(engine.sizes.size() - readBefore, 1);
        QCOMPARE(after.size(), 3);
        QVERIFY(std::none_of(after.begin(), after.end(), [&](const TextLine& line) {
            return line.frame.intersects(QRectF(hiddenWord.translated(1000, 500)));
        }));
        QVERIFY(heading.contains(after[1].frame));

        // Without memory, the same lines.
        QCOMPARE(TextRecognizer::recognize(engine, shown, nullptr, {}, {item1, item2}), after);
    }

    void eachBlockIsReadAndItsLinesLandWhereItIs()
    {
        WholeImageEngine engine;
        const QImage image = page(QSize(400, 200), {QRect(10, 10, 60, 12), QRect(200, 40, 40, 12)});
        const QList<TextLine> lines =
            TextRecognizer::recognize(engine, {image, QRectF(1000, 500, 400, 200), 0, {}});
        const QList<QRect> blocks = rects(TextBlocks::of(image));
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0].frame, QRectF(blocks[0].translated(1000, 500)));
        QCOMPARE(lines[1].frame, QRectF(blocks[1].translated(1000, 500)));

        // A huge window is read shrunk, so the engine's work stays bounded.
        engine.sizes.clear();
        const QImage huge = page(QSize(7680, 2160), {QRect(10, 10, 7600, 2100)});
        TextRecognizer::recognize(engine, {huge, QRectF(0, 0, 7680, 2160), 0, {}});
        double pixels = 0;
        for (const QSize& size : engine.sizes)
            pixels += double(size.width()) * size.height();
        QVERIFY(!engine.sizes.isEmpty());
        QVERIFY(pixels <= TextRecognizer::maxPixels);
    }
};

QTEST_GUILESS_MAIN(TextRecognizerTest)
#include "TextRecognizerTest.moc"
