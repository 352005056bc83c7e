#pragma once

#include <QObject>
#include <QRectF>

#include <chrono>
#include <optional>

class PointerPort;
class QSettings;
class WindowsPort;

/// Lets the next step follow the user's click: a press of the primary button inside the ring
/// that is shown, once the application has settled after it, is a request for the next step.
/// Presses are watched, never taken, so the click still reaches the application. Can be
/// switched off; the choice is remembered.
class ClickFollower : public QObject
{
    Q_OBJECT
public:
    /// The application has settled when its windows have been quiet this long...
    static constexpr std::chrono::milliseconds quietSpell{150};
    /// ...or this long after the press, whatever they do.
    static constexpr std::chrono::milliseconds longestWait{1000};
    /// A press this close outside the ringed control still counts (the ring is drawn there).
    static constexpr double ringMargin = 6;

    ClickFollower(PointerPort& pointer, WindowsPort& windows, QSettings& settings,
                  QObject* parent = nullptr);

    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);

    /// The ring now shows `frame`, a control of the application `pid`.
    void ringShown(const QRectF& frame, qint64 pid);
    void ringHidden();

signals:
    void enabledChanged();
    /// The user pressed inside the ring and the application has settled since.
    void followed();

private:
    void pressed(QPointF point);

    WindowsPort& m_windows;
    QSettings& m_settings;
    bool m_enabled = true;
    std::optional<QRectF> m_ring;
    qint64 m_pid = 0;
    bool m_waiting = false;
};
