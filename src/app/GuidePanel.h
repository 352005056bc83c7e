#pragma once

#include <QWidget>

class ContentView;
class GuideModel;
class PermissionsPort;

/// The one panel holding the whole interface: 480 by 640, floating above other windows.
/// Closing it only hides it.
class GuidePanel : public QWidget
{
    Q_OBJECT
public:
    GuidePanel(GuideModel& model, PermissionsPort& permissions, QWidget* parent = nullptr);

    ContentView* content() const { return m_content; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    ContentView* m_content;
};
