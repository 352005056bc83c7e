// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

/// What is known about the chosen model server.
enum class ServerState
{
    unknown,
    running,
    down
};
