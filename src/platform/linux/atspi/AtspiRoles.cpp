// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/atspi/AtspiRoles.h"

#include <atspi/atspi-constants.h>

#include <QHash>

namespace AtspiRoles {

namespace {

// AT-SPI role -> the role names the reader's rules are written in. Toggle buttons are buttons
// to the user; tabs are radio buttons (one of a set is chosen); spin buttons are edited like
// text fields; a submenu inside an open menu is an item that opens it; a scroll pane and the
// viewport in it show part of what they hold.
const QHash<uint, QString>& table()
{
    static const QHash<uint, QString> roles{
        {ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("AXButton")},
        {ATSPI_ROLE_TOGGLE_BUTTON, QStringLiteral("AXButton")},
        {ATSPI_ROLE_PUSH_BUTTON_MENU, QStringLiteral("AXMenuButton")},
        {ATSPI_ROLE_MENU_ITEM, QStringLiteral("AXMenuItem")},
        {ATSPI_ROLE_CHECK_MENU_ITEM, QStringLiteral("AXMenuItem")},
        {ATSPI_ROLE_RADIO_MENU_ITEM, QStringLiteral("AXMenuItem")},
        {ATSPI_ROLE_TEAROFF_MENU_ITEM, QStringLiteral("AXMenuItem")},
        {ATSPI_ROLE_MENU, QStringLiteral("AXMenuItem")},
        {ATSPI_ROLE_MENU_BAR, QStringLiteral("AXMenuBar")},
        {ATSPI_ROLE_ENTRY, QStringLiteral("AXTextField")},
        {ATSPI_ROLE_PASSWORD_TEXT, QStringLiteral("AXTextField")},
        {ATSPI_ROLE_SPIN_BUTTON, QStringLiteral("AXTextField")},
        {ATSPI_ROLE_CHECK_BOX, QStringLiteral("AXCheckBox")},
        {ATSPI_ROLE_RADIO_BUTTON, QStringLiteral("AXRadioButton")},
        {ATSPI_ROLE_PAGE_TAB, QStringLiteral("AXRadioButton")},
        {ATSPI_ROLE_COMBO_BOX, QStringLiteral("AXComboBox")},
        {ATSPI_ROLE_LINK, QStringLiteral("AXLink")},
        {ATSPI_ROLE_SLIDER, QStringLiteral("AXSlider")},
        {ATSPI_ROLE_FRAME, QStringLiteral("AXWindow")},
        {ATSPI_ROLE_WINDOW, QStringLiteral("AXWindow")},
        {ATSPI_ROLE_DIALOG, QStringLiteral("AXWindow")},
        {ATSPI_ROLE_ALERT, QStringLiteral("AXWindow")},
        {ATSPI_ROLE_FILE_CHOOSER, QStringLiteral("AXWindow")},
        {ATSPI_ROLE_APPLICATION, QStringLiteral("AXApplication")},
        {ATSPI_ROLE_LIST_ITEM, QStringLiteral("AXListItem")},
        {ATSPI_ROLE_SCROLL_PANE, QStringLiteral("AXScrollArea")},
        {ATSPI_ROLE_SCROLL_BAR, QStringLiteral("AXScrollBar")},
        {ATSPI_ROLE_VIEWPORT, QStringLiteral("AXScrollArea")},
        {ATSPI_ROLE_LABEL, QStringLiteral("AXStaticText")},
        {ATSPI_ROLE_STATIC, QStringLiteral("AXStaticText")},
        {ATSPI_ROLE_PARAGRAPH, QStringLiteral("AXParagraph")},
        {ATSPI_ROLE_HEADING, QStringLiteral("AXHeading")},
    };
    return roles;
}

} // namespace

QString mapped(uint atspiRole, bool multiLine)
{
    if (atspiRole == ATSPI_ROLE_TEXT || atspiRole == ATSPI_ROLE_DOCUMENT_TEXT)
        return multiLine ? QStringLiteral("AXTextArea") : QStringLiteral("AXTextField");
    return table().value(atspiRole, QStringLiteral("AXGroup"));
}

} // namespace AtspiRoles
