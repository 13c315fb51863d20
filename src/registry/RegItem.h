// REGITEM: the 216-byte record behind the size word of every registry item id (a predefined
// key, a key, a value or the "(default)" item), and the operations on it that every folder,
// the clipboard and the search share.
#pragma once

#include <windows.h>
#include <shlobj.h>
#include <string>

namespace corvasin
{

constexpr DWORD REGITEM_KEY = 1;
constexpr DWORD REGITEM_VALUE = 2;
constexpr DWORD REGITEM_DEFAULT = 3;

constexpr UINT kRegItemNameSize = 200;
constexpr char kDefaultItemName[] = "(default)";

#pragma pack(push, 1)
struct REGITEM
{
    DWORD dwSignature; // "CORV"
    DWORD dwKind;
    DWORD dwIndex;
    char szName[kRegItemNameSize];
    DWORD dwValueType;
};
#pragma pack(pop)
static_assert(sizeof(REGITEM) == 216, "the record layout is fixed: stored ids depend on it");

// Set in dwIndex of a key or value item whose real name its text does not hold (a character
// the code page cannot hold became "?"): such an item names the entry at the listing index in
// the low bits, and only when that entry's name still gives the same text. The bit is clear in
// every predefined key's field (0x8000000n), so the root items never carry it.
constexpr DWORD kRegItemLossyName = 0x40000000;
constexpr DWORD kRegItemIndexMask = 0x3FFFFFFF;

// The four bytes "CORV" in this order, read as a little-endian 32-bit number.
constexpr DWORD kRegItemSignature = 'C' | ('O' << 8) | ('R' << 16) | (static_cast<DWORD>('V') << 24);

// A zeroed record with the signature, kind, index and name (cut to 199 characters).
REGITEM MakeRegItem(DWORD dwKind, DWORD dwIndex, const char* pszName, DWORD dwValueType = 0) noexcept;

// Whether a key or value item's text is not its real name.
bool IsLossyItem(const REGITEM& item) noexcept;

// The record of a key or value listed at dwIndex under its real name: the text in the code page,
// marked when it lost characters. False when the text does not fit the record.
bool MakeListedItem(DWORD dwKind, DWORD dwIndex, const std::wstring& name, DWORD dwValueType,
                    REGITEM* pItem) noexcept;

// The real name of the entry of hKey that a key or value item names (empty for "(default)").
// A lossy item is found at its listing index, or else as the one entry whose name gives its
// text; false when the entry is gone or cannot be told from another one. Never another entry
// whose real name is the lossy text.
bool FindItemRealName(HKEY hKey, const REGITEM& item, std::wstring& name) noexcept;

// Whether the first four bytes are the signature.
bool HasRegItemSignature(const void* pData) noexcept;

// Copies the record out of item data (ids carry no alignment); the name always ends within
// its field, whatever the id's origin.
REGITEM ReadRegItem(const void* pData) noexcept;

// Keys sort before values; otherwise the names compare without regard to case.
int CompareRegItems(const void* pData1, const void* pData2) noexcept;

// The value name passed to the registry: none for the "(default)" item.
const char* RegValueName(const REGITEM& item) noexcept;

// Turns an absolute registry id list into a key: the predefined key itself (never to be closed)
// when the list ends at the root item, else a key opened below it that the caller closes.
HKEY ResolveItemIdList(LPCITEMIDLIST pidl) noexcept;

} // namespace corvasin
