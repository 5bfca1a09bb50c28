// Names for client addresses (the aliases file) and full names of users
// (the users file).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// Empties the alias table and reads the aliases file into it.
void LoadAliases();
// Alias of a client address, or empty. The view stays valid until the
// next LoadAliases.
std::string_view AliasOf(std::string_view address);
// True when the alias table holds at least one address.
bool AliasesLoaded();
// Full name of a user from the users file, or empty.
std::string FullNameOf(const std::string& user);
// Calls onUser(name, fullName) for every line of the users file that has a
// name, lines ended by CR or LF (bytes after the last line end are ignored):
// the name is the line's first field, the full name what follows its blank.
void ForEachUsersLine(const std::function<void(std::string_view name, std::string_view fullName)>& onUser);
// Value of a dotted address; false when the text is not a valid address.
bool AddressValue(std::string_view text, uint32_t& value);
