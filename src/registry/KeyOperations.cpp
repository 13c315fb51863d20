// Key and value changes on open keys.
#include "registry/KeyOperations.h"

#include "core/Handles.h"
#include "core/Result.h"
#include "registry/RegItem.h"
#include "registry/RegistryAccess.h"

#include <mbstring.h>
#include <vector>

namespace corvasin
{

namespace
{
bool SameNameIgnoringCase(const char* psz1, const char* psz2) noexcept
{
    return _mbsicmp(reinterpret_cast<const unsigned char*>(psz1),
                    reinterpret_cast<const unsigned char*>(psz2)) == 0;
}


bool SubkeyExists(HKEY hParent, const wchar_t* pszName) noexcept
{
    UniqueHkey hKey;
    return OpenRegKeyW(hParent, pszName, KEY_QUERY_VALUE, hKey.put()) == ERROR_SUCCESS;
}

// The first name among "<base>", "<base> #2"... that no value of the key has.
std::wstring FreeValueNameW(HKEY hKey, const std::wstring& base)
{
    std::wstring name = base;
    for (int n = 2; ValueExistsW(hKey, name.c_str()); ++n)
        name = base + L" #" + std::to_wstring(n);
    return name;
}

// What a value read failed with: the value is gone, or could not be read.
HRESULT ReadFailure(HKEY hKey, const wchar_t* pszName) noexcept
{
    return HRESULT_FROM_WIN32(ValueExistsW(hKey, pszName) ? ERROR_READ_FAULT : ERROR_FILE_NOT_FOUND);
}

constexpr HRESULT kNoKey = HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE);
constexpr HRESULT kBadName = HRESULT_FROM_WIN32(ERROR_INVALID_NAME);
constexpr HRESULT kNameTaken = HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
} // namespace

bool IsUsableItemName(const CString& name) noexcept
{
    return !name.empty() && name.size() < kRegItemNameSize && name.find('\0') == CString::npos;
}

HRESULT CreateOrOpenSubkey(HKEY hParent, const char* pszName) noexcept
{
    if (!hParent)
        return kNoKey;
    UniqueHkey hKey;
    return HrFromWin32(CreateRegKey(hParent, pszName, MAXIMUM_ALLOWED, hKey.put()));
}

CString FreeValueName(HKEY hKey, const char* pszBase)
{
    return WideToAnsi(FreeValueNameW(hKey, AnsiToWide(pszBase)).c_str());
}

HRESULT WriteZeroValue(HKEY hKey, const char* pszName, DWORD dwType, DWORD cbData) noexcept
{
    const BYTE abZero[16] = {};
    if (!hKey)
        return kNoKey;
    if (cbData > sizeof(abZero))
        return E_INVALIDARG;
    return HrFromWin32(::RegSetValueExA(hKey, pszName, 0, dwType, abZero, cbData));
}

HRESULT DeleteKeyTree(HKEY hParent, const wchar_t* pszName) noexcept
{
    if (!hParent)
        return kNoKey;
    if (!pszName || !*pszName)
        return kBadName;
    // A key that is not there was not deleted by us: nothing to tell the shell.
    if (!SubkeyExists(hParent, pszName))
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    return DeleteKeyTreeW(hParent, pszName, MissingKey::Fails) ? S_OK : HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
}

HRESULT RenameValue(HKEY hKey, const wchar_t* pszOld, const CString& newName) noexcept
{
    if (!hKey)
        return kNoKey;
    if (!IsUsableItemName(newName))
        return kBadName;
    try
    {
        const std::wstring wideNew = AnsiToWide(newName.c_str(), static_cast<int>(newName.size()));
        if (wideNew.empty())
            return kBadName;
        DWORD dwType = REG_NONE;
        std::vector<BYTE> data;
        if (!ReadTypedValueW(hKey, pszOld, &dwType, data))
            return ReadFailure(hKey, pszOld);
        const auto cb = static_cast<DWORD>(data.size());
        const BYTE* pData = data.empty() ? nullptr : data.data();
        const wchar_t* pszNew = wideNew.c_str();
        const std::wstring oldName = pszOld ? pszOld : L"";

        if (pszOld && oldName == wideNew)
            return S_OK;
        if (!pszOld || ::lstrcmpiW(pszOld, pszNew) != 0)
        {
            // Another value of that name keeps its data.
            if (ValueExistsW(hKey, pszNew))
                return kNameTaken;
            HRESULT hr = WriteValueW(hKey, pszNew, dwType, pData, cb);
            if (FAILED(hr))
                return hr;
            hr = DeleteValueW(hKey, pszOld);
            if (FAILED(hr))
                (void)DeleteValueW(hKey, pszNew); // a copy is no rename
            return hr;
        }

        // Only the letter case changes: the registry takes both spellings for one value, so
        // the data waits under a name of its own while the old spelling goes.
        const std::wstring parked = FreeValueNameW(hKey, oldName + L" (renaming)");
        HRESULT hr = WriteValueW(hKey, parked.c_str(), dwType, pData, cb);
        if (FAILED(hr))
            return hr;
        hr = DeleteValueW(hKey, pszOld);
        if (FAILED(hr))
        {
            (void)DeleteValueW(hKey, parked.c_str());
            return hr;
        }
        hr = WriteValueW(hKey, pszNew, dwType, pData, cb);
        if (FAILED(hr))
        {
            // Put the old value back; the parked copy stays if even that fails.
            if (SUCCEEDED(WriteValueW(hKey, pszOld, dwType, pData, cb)))
                (void)DeleteValueW(hKey, parked.c_str());
            return hr;
        }
        (void)DeleteValueW(hKey, parked.c_str());
        return S_OK;
    }
    CATCH_RETURN(E_OUTOFMEMORY)
}

HRESULT RenameEmptyKey(HKEY hParent, const wchar_t* pszOld, const CString& newName) noexcept
{
    if (!hParent)
        return kNoKey;
    if (!pszOld || !*pszOld || !IsUsableItemName(newName))
        return kBadName;
    try
    {
        {
            UniqueHkey hOld;
            const LONG rc = OpenRegKeyW(hParent, pszOld, MAXIMUM_ALLOWED, hOld.put());
            if (rc != ERROR_SUCCESS)
                return HRESULT_FROM_WIN32(rc);
            DWORD cSubkeys = 0;
            DWORD cValues = 0;
            // A key that holds anything, or cannot say, keeps its name.
            if (!ReadKeyCounts(hOld.get(), &cSubkeys, &cValues) || cSubkeys != 0 || cValues != 0)
                return HRESULT_FROM_WIN32(ERROR_DIR_NOT_EMPTY);
        }
        const std::wstring wideNew = AnsiToWide(newName.c_str(), static_cast<int>(newName.size()));
        const wchar_t* pszNew = wideNew.c_str();
        if (wideNew.empty())
            return kBadName;
        if (wideNew == pszOld)
            return S_OK;
        if (::lstrcmpiW(pszOld, pszNew) == 0)
        {
            // Creating the new spelling would only open the old key; the key is empty, so it
            // goes and comes back under the new spelling.
            LONG rc = DeleteRegKeyW(hParent, pszOld);
            if (rc != ERROR_SUCCESS)
                return HRESULT_FROM_WIN32(rc);
            UniqueHkey hNew;
            rc = CreateRegKeyW(hParent, pszNew, MAXIMUM_ALLOWED, hNew.put());
            if (rc == ERROR_SUCCESS)
                return S_OK;
            UniqueHkey hBack;
            CreateRegKeyW(hParent, pszOld, MAXIMUM_ALLOWED, hBack.put());
            return HRESULT_FROM_WIN32(rc);
        }
        if (SubkeyExists(hParent, pszNew))
            return kNameTaken;
        UniqueHkey hNew;
        DWORD dwDisposition = 0;
        LONG rc = CreateRegKeyW(hParent, pszNew, MAXIMUM_ALLOWED, hNew.put(), &dwDisposition);
        if (rc != ERROR_SUCCESS)
            return HRESULT_FROM_WIN32(rc);
        hNew.reset();
        if (dwDisposition != REG_CREATED_NEW_KEY)
            return kNameTaken; // another program made it in the meantime: it is not ours to delete
        rc = DeleteRegKeyW(hParent, pszOld);
        if (rc == ERROR_SUCCESS)
            return S_OK;
        DeleteRegKeyW(hParent, pszNew);
        return HRESULT_FROM_WIN32(rc);
    }
    CATCH_RETURN(E_OUTOFMEMORY)
}

HRESULT CopyValue(HKEY hTarget, HKEY hSource, const wchar_t* pszName) noexcept
{
    if (!hTarget || !hSource)
        return kNoKey;
    try
    {
        DWORD dwType = REG_NONE;
        std::vector<BYTE> data;
        if (!ReadTypedValueW(hSource, pszName, &dwType, data))
            return ReadFailure(hSource, pszName);
        return WriteValueW(hTarget, pszName, dwType, data.empty() ? nullptr : data.data(),
                           static_cast<DWORD>(data.size()));
    }
    CATCH_RETURN(E_OUTOFMEMORY)
}

bool IsSameOrBelowKeyPath(const CString& outer, const CString& inner) noexcept
{
    if (inner.size() < outer.size())
        return false;
    if (outer.empty())
        return true;
    const CString head = inner.substr(0, outer.size());
    if (!SameNameIgnoringCase(head.c_str(), outer.c_str()))
        return false;
    return inner.size() == outer.size() || inner[outer.size()] == '\\';
}

} // namespace corvasin
