// IRegFolder: what a registry key folder tells about itself, its open key and its path.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <unknwn.h>

namespace corvasin
{

struct IRegFolder : public IUnknown
{
    // The folder's open key; the folder keeps owning it.
    virtual HRESULT STDMETHODCALLTYPE GetKey(HKEY* phKey) = 0;
    // The key path below the predefined key; the caller frees the BSTR.
    virtual HRESULT STDMETHODCALLTYPE GetPath(BSTR* pbstrPath) = 0;
};

} // namespace corvasin

__CRT_UUID_DECL(corvasin::IRegFolder, 0xd779eab6, 0xaeda, 0x419e, 0xa6, 0xb5, 0xf4, 0x7e, 0xdb, 0x1d,
                0x2f, 0x25)

namespace corvasin
{
// {D779EAB6-AEDA-419E-A6B5-F47EDB1D2F25}
inline constexpr GUID IID_IRegFolder = {
    0xd779eab6, 0xaeda, 0x419e, {0xa6, 0xb5, 0xf4, 0x7e, 0xdb, 0x1d, 0x2f, 0x25}};
} // namespace corvasin
