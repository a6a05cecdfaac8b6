// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <optional>

// Text secrets addressed by (service, account), in the session's secret store.
// Every failure is silent: a read that fails for any reason (no item, locked
// or unreachable store, bytes that are not UTF-8) is no value; a save or a
// removal that fails leaves the store as it was (a save says so).
namespace Keychain {

std::optional<QString> read(const QString& service, const QString& account);
// Replaces any earlier value of the pair. False when the store did not take
// the value (a locked keyring, a dismissed prompt, an unwritable file).
bool save(const QString& value, const QString& service, const QString& account);
// (`delete` is a reserved word in C++.)
void remove(const QString& service, const QString& account);

} // namespace Keychain
