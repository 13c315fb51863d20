// The component's fixed class ids. The interfaces keep their ids beside their declarations
// (IRegFolder in the registry folders, IGetNameSpaceExtensionPointer in the framework).
#pragma once

#include "framework/NameSpaceExtension.h"
#include "registry/RegFolder.h"

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

} // namespace corvasin
