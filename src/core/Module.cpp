// Module-wide state shared by the DLL entry, the folders and the factories.
#include "core/Module.h"

namespace corvasin
{

std::atomic<LONG> g_nLockCount{0};

HINSTANCE ModuleInstance() noexcept
{
    static HINSTANCE s_hInstance = [] {
        HMODULE hModule = nullptr;
        // The address of this function lies in the DLL when the DLL runs it, in the test
        // program when a test links the library: both find their own resources.
        ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                 GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                             reinterpret_cast<LPCSTR>(&ModuleInstance), &hModule);
        return static_cast<HINSTANCE>(hModule);
    }();
    return s_hInstance;
}

} // namespace corvasin
