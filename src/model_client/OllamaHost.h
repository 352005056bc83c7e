// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Result.h"

#include <QString>
#include <QUrl>

/// Where Ollama listens, read from OLLAMA_HOST the way Ollama's own clients read it: a host,
/// host:port, or a URL with http or https and an optional path; empty means this computer on
/// port 11434. Only this computer's addresses are accepted: screenshots never leave it.
namespace OllamaHost {

inline constexpr quint16 defaultPort = 11434;

/// The server's base address, or why it is refused (a sentence for the status line, of the
/// domain ModelServerPort::refusedAddress).
Result<QUrl> baseUrl(const QString& variable);

/// Whether `host` (a name or an address) is this computer: localhost, a loopback address, or
/// the unspecified address that clients take for this computer.
bool isThisComputer(const QString& host);

} // namespace OllamaHost
