// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

#include <optional>

/// The kind of local model server.
enum class Provider
{
    ollama,
    lmStudio
};

namespace Providers {

/// Both providers in the order the panel shows them.
inline const QList<Provider> allCases{Provider::ollama, Provider::lmStudio};

/// "Ollama" or "LM Studio".
QString rawValue(Provider provider);

/// The provider whose raw value equals `text` exactly (case-sensitive), or absent.
std::optional<Provider> fromRawValue(const QString& text);

/// The fixed port of the provider's server on this machine.
quint16 defaultPort(Provider provider);

} // namespace Providers
