// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointF>
#include <QString>

#include <memory>

/// The pointer and keyboard of a KWin session, driven from outside as a person would use them,
/// through KWin's fake input protocol (granted to programs whose entry asks for it; see
/// run-on-kde-wayland.sh).
class KWinFakeInput
{
public:
    KWinFakeInput();
    ~KWinFakeInput();

    /// Whether KWin granted the protocol.
    bool isAvailable() const;

    /// A click of the primary button at `at` (global logical pixels).
    void click(QPointF at);
    /// Holds the keys of `chord` (Linux key codes, modifiers first) down, then lets them go.
    void press(std::initializer_list<quint32> chord);
    /// Types `text`: lowercase letters, digits, spaces and the full stop of a US keyboard.
    void type(const QString& text);

private:
    struct Wayland;
    std::unique_ptr<Wayland> m_wayland;
};
