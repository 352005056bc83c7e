// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

/// The role vocabulary the reader speaks, for an AT-SPI role and state set.
namespace AtspiRoles {

/// The mapped role name ("AXButton", ...) of an AT-SPI role; `multiLine` tells text areas
/// from text fields.
QString mapped(uint atspiRole, bool multiLine);

} // namespace AtspiRoles
