#include "app/GuidePanel.h"

#include "core/Texts.h"
#include "ui/ContentView.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

namespace {
const QSize panelSize(480, 640);
} // namespace

GuidePanel::GuidePanel(GuideModel& model, PermissionsPort& permissions, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(Texts::appName);
    setAccessibleName(Texts::appName);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_content = new ContentView(model, permissions);
    layout->addWidget(m_content);
    resize(panelSize);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), panelSize);
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void GuidePanel::closeEvent(QCloseEvent* event)
{
    event->ignore();
    hide();
}
