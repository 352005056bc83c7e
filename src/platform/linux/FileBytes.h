// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

/// The first `count` bytes of the file `fd` (a memory file a compositor wrote a capture
/// into), read from its start whatever its offset; empty when the file holds fewer.
QByteArray fileBytesFromStart(int fd, qsizetype count);
