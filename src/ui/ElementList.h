// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/GuideElement.h"

#include <QAbstractListModel>
#include <QElapsedTimer>
#include <QWidget>

class QListView;
class QToolButton;

/// The rows of the element list; each row is one element, keyed by its id.
class ElementListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    void setElements(const QList<GuideElement>& elements);
    const GuideElement& element(int row) const { return m_elements[row]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    static constexpr int roleRole = Qt::UserRole + 1;

private:
    QList<GuideElement> m_elements;
};

/// "Detected elements (n)": collapsed at first; its rows are drawn only as they scroll into
/// view, and a click on a row picks that element.
class ElementList : public QWidget
{
    Q_OBJECT
public:
    explicit ElementList(QWidget* parent = nullptr);

    void setElements(const QList<GuideElement>& elements);
    bool isExpanded() const;
    void setExpanded(bool expanded);
    QToolButton* header() const { return m_header; }
    QListView* rows() const { return m_rows; }

signals:
    void picked(const GuideElement& element);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void clickedRow(const QModelIndex& index);
    void pickRow(const QModelIndex& index);

    QToolButton* m_header;
    QListView* m_rows;
    ElementListModel m_model;
    int m_lastPickedRow = -1;
    QElapsedTimer m_sinceLastPick;
};
