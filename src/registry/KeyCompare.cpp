// The comparison walks both trees together, one key pair at a time: each side's values and
// subkey names are read whole, matched by name, and the subkeys both sides have are compared in
// turn. A subtree only one side has is not read at all.
#include "registry/KeyCompare.h"

#include "core/Handles.h"
#include "core/Result.h"
#include "registry/KeyTreeWriter.h"
#include "registry/RegFileText.h"
#include "registry/RegistryAccess.h"

#include <algorithm>
#include <map>

namespace corvasin
{

namespace
{
// The registry's own order of names: their upper-case forms compared character by character.
struct NameLess
{
    bool operator()(const std::wstring& a, const std::wstring& b) const noexcept
    {
        return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                      TRUE) == CSTR_LESS_THAN;
    }
};

struct Value
{
    std::wstring name;
    DWORD dwType = REG_NONE;
    std::vector<BYTE> data;
};

// A key's values in enumeration order; false when they cannot all be read.
bool ReadValues(HKEY hKey, std::vector<Value>& values)
{
    DWORD cValues = 0;
    if (!ReadKeyCounts(hKey, nullptr, &cValues))
        return false;
    bool bAll = true;
    values.reserve(cValues);
    for (DWORD i = 0; i < cValues; ++i)
    {
        Value value;
        if (!ReadValueNameW(hKey, i, value.name) ||
            !ReadTypedValueW(hKey, value.name.empty() ? nullptr : value.name.c_str(), &value.dwType, value.data))
        {
            bAll = false;
            continue;
        }
        values.push_back(std::move(value));
    }
    return bAll;
}

// A key's subkey names in the registry's order; false when they cannot all be read.
bool ReadSubkeyNames(HKEY hKey, std::vector<std::wstring>& names)
{
    DWORD cSubkeys = 0;
    if (!ReadKeyCounts(hKey, &cSubkeys, nullptr))
        return false;
    bool bAll = true;
    names.reserve(cSubkeys);
    for (DWORD i = 0; i < cSubkeys; ++i)
    {
        std::wstring name;
        if (ReadSubkeyNameW(hKey, i, name))
            names.push_back(std::move(name));
        else
            bAll = false;
    }
    std::sort(names.begin(), names.end(), NameLess());
    return bAll;
}

class CComparer
{
public:
    CComparer(KeyComparison& result, size_t cMax, const std::atomic<bool>* pbCancel)
        : m_result(result), m_cMax(cMax), m_pbCancel(pbCancel)
    {
    }

    // False once the comparison stops.
    bool CompareKeys(HKEY hFirst, HKEY hSecond, const std::wstring& path, unsigned nDepth)
    {
        if ((m_pbCancel && m_pbCancel->load()) || nDepth > kMaxKeyDepth)
            return Stop();
        std::vector<Value> first, second;
        if (!ReadValues(hFirst, first) || !ReadValues(hSecond, second))
            m_result.bComplete = false;
        std::map<std::wstring, const Value*, NameLess> firstByName;
        for (const Value& value : first)
            firstByName.emplace(value.name, &value);
        for (const Value& value : second)
        {
            const auto it = firstByName.find(value.name);
            if (it == firstByName.end())
            {
                if (!Add(KeyDifference::ValueOnlyInSecond, path, value.name, nullptr, &value))
                    return false;
                continue;
            }
            const Value& old = *it->second;
            if ((old.dwType != value.dwType || old.data != value.data) &&
                !Add(KeyDifference::ValueDiffers, path, value.name, &old, &value))
                return false;
            firstByName.erase(it);
        }
        for (const Value& value : first)
            if (firstByName.count(value.name) && !Add(KeyDifference::ValueOnlyInFirst, path, value.name, &value, nullptr))
                return false;

        std::vector<std::wstring> firstKeys, secondKeys;
        if (!ReadSubkeyNames(hFirst, firstKeys) || !ReadSubkeyNames(hSecond, secondKeys))
            m_result.bComplete = false;
        size_t i = 0, j = 0;
        const NameLess less;
        while (i < firstKeys.size() || j < secondKeys.size())
        {
            const bool bFirstOnly = j == secondKeys.size() || (i < firstKeys.size() && less(firstKeys[i], secondKeys[j]));
            const bool bSecondOnly = !bFirstOnly && (i == firstKeys.size() || less(secondKeys[j], firstKeys[i]));
            const std::wstring& name = bSecondOnly ? secondKeys[j] : firstKeys[i];
            const std::wstring subPath = path.empty() ? name : path + L"\\" + name;
            if (bFirstOnly || bSecondOnly)
            {
                if (!Add(bFirstOnly ? KeyDifference::KeyOnlyInFirst : KeyDifference::KeyOnlyInSecond, subPath, {},
                         nullptr, nullptr))
                    return false;
                bFirstOnly ? ++i : ++j;
                continue;
            }
            UniqueHkey subFirst, subSecond;
            if (OpenRegKeyW(hFirst, firstKeys[i].c_str(), KEY_READ, subFirst.put()) == ERROR_SUCCESS &&
                OpenRegKeyW(hSecond, secondKeys[j].c_str(), KEY_READ, subSecond.put()) == ERROR_SUCCESS)
            {
                if (!CompareKeys(subFirst.get(), subSecond.get(), subPath, nDepth + 1))
                    return false;
            }
            else
                m_result.bComplete = false;
            ++i;
            ++j;
        }
        return true;
    }

private:
    bool Stop() noexcept
    {
        m_result.bComplete = false;
        return false;
    }

    bool Add(KeyDifference::Kind kind, const std::wstring& path, const std::wstring& valueName, const Value* pFirst,
             const Value* pSecond)
    {
        if (m_result.differences.size() >= m_cMax)
            return Stop();
        KeyDifference difference;
        difference.kind = kind;
        difference.keyPath = path;
        difference.valueName = valueName;
        if (pFirst)
        {
            difference.dwFirstType = pFirst->dwType;
            difference.firstData = pFirst->data;
        }
        if (pSecond)
        {
            difference.dwSecondType = pSecond->dwType;
            difference.secondData = pSecond->data;
        }
        m_result.differences.push_back(std::move(difference));
        return true;
    }

    KeyComparison& m_result;
    const size_t m_cMax;
    const std::atomic<bool>* m_pbCancel;
};

CString KeyNameInFile(const CString& firstName, const std::wstring& path)
{
    return path.empty() ? firstName : firstName + "\\" + ToUtf8(path);
}
} // namespace

void CompareKeyTrees(HKEY hFirst, HKEY hSecond, KeyComparison& result, size_t cMaxDifferences,
                     const std::atomic<bool>* pbCancel) noexcept
{
    result = KeyComparison();
    if (!hFirst || !hSecond)
    {
        result.bComplete = false;
        return;
    }
    try
    {
        CComparer(result, cMaxDifferences, pbCancel).CompareKeys(hFirst, hSecond, std::wstring(), 0);
    }
    catch (...)
    {
        result.bComplete = false;
    }
}

bool WriteDifferences(const KeyComparison& comparison, HKEY hSecond, const CString& firstName,
                      CByteSink& file) noexcept
{
    try
    {
        CString line;
        const std::wstring* pOpenKey = nullptr; // the key whose line the values below go under
        const auto endBlock = [&] {
            if (pOpenKey)
                line += c_szRegFileLineEnd;
            pOpenKey = nullptr;
        };
        for (const KeyDifference& difference : comparison.differences)
        {
            if (difference.IsValue())
            {
                if (!pOpenKey || *pOpenKey != difference.keyPath)
                {
                    endBlock();
                    AppendKeyLine(line, KeyNameInFile(firstName, difference.keyPath));
                    pOpenKey = &difference.keyPath;
                }
                const wchar_t* pszName = difference.valueName.empty() ? nullptr : difference.valueName.c_str();
                if (difference.kind == KeyDifference::ValueOnlyInFirst)
                    AppendDeleteValueLineUnicode(line, pszName);
                else
                    AppendValueLineUnicode(line, pszName, difference.dwSecondType,
                                           difference.secondData.empty() ? nullptr : difference.secondData.data(),
                                           static_cast<DWORD>(difference.secondData.size()));
                continue;
            }
            endBlock();
            const CString name = KeyNameInFile(firstName, difference.keyPath);
            if (difference.kind == KeyDifference::KeyOnlyInFirst)
            {
                AppendKeyLine(line, name, true);
                line += c_szRegFileLineEnd;
                continue;
            }
            // A key only the second has comes with its tree, as an export writes it.
            if (!file.Write(line))
                return false;
            line.clear();
            UniqueHkey subkey;
            if (OpenRegKeyW(hSecond, difference.keyPath.c_str(), KEY_READ, subkey.put()) == ERROR_SUCCESS &&
                !CKeyTreeWriter(file, true).Write(subkey.get(), name))
                return false;
        }
        endBlock();
        return file.Write(line);
    }
    CATCH_RETURN(false)
}

} // namespace corvasin
