// Registry names and data exactly as the registry keeps them, through the wide
// calls: names outside the code page, text in any script and data of any type
// pass unchanged. What the registry class (registry.h) does in the code page,
// these do where a name or a value must survive as it is: the cleaners' paths,
// the start-up entries, and the copies that hide and give back data.
//
// Registry links are never followed by a write or a delete: every key on the
// way to a written value is opened as itself, and a link found there is
// refused, or, inside the caller's own keys, removed and made a real key.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tidvex::registry {

// A value's data exactly as stored: its registry type and its bytes.
struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
    bool operator==(const RawValue&) const = default;
};

// The names of a key's values, and of its subkeys; none when the key is
// missing. A key that is a registry link lists its own content, not its target's.
std::vector<std::wstring> WideValueNames(HKEY root, std::wstring_view key);
std::vector<std::wstring> WideSubkeyNames(HKEY root, std::wstring_view key);

// The value as stored, or nothing when the key or the value is missing.
std::optional<RawValue> ReadWideRaw(HKEY root, std::wstring_view key, std::wstring_view name);

// The text of a REG_SZ, REG_EXPAND_SZ (environment variables expanded) or
// REG_MULTI_SZ value up to its first NUL; a REG_BINARY value's bytes taken as
// UTF-16. Empty when
// the value is missing or holds no text.
std::wstring ReadWideText(HKEY root, std::wstring_view key, std::wstring_view name);

// Stores the value exactly, making the keys on the way when missing. A key on
// the way that is a registry link is refused (ERROR_ACCESS_DENIED), except
// from the `ownFrom`-th name of the path on (0 is the first), which are the
// caller's own keys: a link there is removed itself, its target untouched, and
// a real key made in its place. The platform's result code.
LONG WriteWideRaw(HKEY root, std::wstring_view key, std::wstring_view name, const RawValue& value,
                  size_t ownFrom = std::wstring_view::npos);

// Deletes exactly that value. Every key from the hive down is opened as
// itself: a registry link anywhere on the path, the key itself included,
// refuses the delete (kLinkOnTheWay), so no other key is ever reached. The
// platform's result code.
LONG DeleteWideValue(HKEY root, std::wstring_view key, std::wstring_view name);

// Whether the key is a registry link, opened as itself.
bool IsRegistryLink(HKEY opened);

}  // namespace tidvex::registry
