// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/StatusLine.h"

#include "core/DisplayText.h"
#include "core/Texts.h"
#include "ui/UiStyle.h"

#include <QAccessibleWidget>

namespace {

// The status line as assistive technology sees it: a notification named by its text.
class StatusLineAccessible : public QAccessibleWidget
{
public:
    explicit StatusLineAccessible(StatusLine* line)
        : QAccessibleWidget(line, QAccessible::Notification)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return static_cast<const StatusLine*>(widget())->text();
        if (t == QAccessible::Description)
            return Texts::statusName();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* statusLineAccessible(const QString& className, QObject* object)
{
    if (className == QLatin1String("StatusLine") && object && object->isWidgetType())
        return new StatusLineAccessible(static_cast<StatusLine*>(object));
    return nullptr;
}

} // namespace

StatusLine::StatusLine(QWidget* parent) : QLabel(parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(statusLineAccessible);
        return true;
    }();
    Q_UNUSED(installed);
    setFont(UiStyle::font(UiStyle::TextStyle::callout, font()));
    setWordWrap(true);
    setTextFormat(Qt::PlainText);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
}

void StatusLine::setStatus(const QString& status)
{
    setText(DisplayText::bounded(status));
    QAccessibleEvent named(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&named);
    // Shown anew: what screen readers speak notifications on.
    QAccessibleEvent shown(this, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}
