// REGITEM: the 216-byte record behind the size word of every registry item id (a predefined
// key, a key, a value or the "(default)" item), and the operations on it that every folder,
// the clipboard and the search share.
#pragma once

#include <windows.h>
#include <shlobj.h>

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

// The four bytes "CORV" in this order, read as a little-endian 32-bit number.
constexpr DWORD kRegItemSignature = 'C' | ('O' << 8) | ('R' << 16) | (static_cast<DWORD>('V') << 24);

// A zeroed record with the signature, kind, index and name (cut to 199 characters).
REGITEM MakeRegItem(DWORD dwKind, DWORD dwIndex, const char* pszName, DWORD dwValueType = 0) noexcept;

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
