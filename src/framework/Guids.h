// The component's fixed class and interface ids.
#pragma once

#include <windows.h>
#include <guiddef.h>

namespace corvasin
{

// The registry root folder; also the id of the namespace junction.
// {BBC22D43-FF1C-4948-B6DA-04BEFBDA2E92}
inline constexpr GUID CLSID_CorvasinFolder = {
    0xbbc22d43, 0xff1c, 0x4948, {0xb6, 0xda, 0x04, 0xbe, 0xfb, 0xda, 0x2e, 0x92}};

// The registry UI object (context menu handler of the namespace's own icon).
// {A3E0E764-348F-498A-8351-B456209DE55D}
inline constexpr GUID CLSID_CorvasinUIObject = {
    0xa3e0e764, 0x348f, 0x498a, {0x83, 0x51, 0xb4, 0x56, 0x20, 0x9d, 0xe5, 0x5d}};

// {D779EAB6-AEDA-419E-A6B5-F47EDB1D2F25}
inline constexpr GUID IID_IRegFolder = {
    0xd779eab6, 0xaeda, 0x419e, {0xa6, 0xb5, 0xf4, 0x7e, 0xdb, 0x1d, 0x2f, 0x25}};

// {F2F90018-9CA5-4160-A0E2-4032F8782759}
inline constexpr GUID IID_IGetNameSpaceExtensionPointer = {
    0xf2f90018, 0x9ca5, 0x4160, {0xa0, 0xe2, 0x40, 0x32, 0xf8, 0x78, 0x27, 0x59}};

} // namespace corvasin
