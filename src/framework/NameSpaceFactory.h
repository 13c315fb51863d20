// The generic class factories of the framework: a folder factory that makes what a derived
// factory says (a folder, or for interfaces a folder lacks, a UI object) and remembers the folder
// it made last, and a UI object factory that makes its objects through a folder factory.
//
// Factories live as static objects for the module's whole life; Release never deletes them. One
// static factory serves every apartment of the process, so the counts are atomic and the folder
// made last sits behind a lock.
#pragma once

#include "core/CmdTargetPtr.h"

#include <windows.h>
#include <unknwn.h>
#include <atomic>
#include <mutex>

namespace corvasin
{

class CNameSpaceExtension;
class CShellUIObject;

class CNameSpaceFactory : public IClassFactory
{
public:
    CNameSpaceFactory() noexcept = default;
    CNameSpaceFactory(const CNameSpaceFactory&) = delete;
    CNameSpaceFactory& operator=(const CNameSpaceFactory&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    // Every reference on a factory also counts in g_nLockCount.
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) override;
    STDMETHODIMP LockServer(BOOL fLock) override;

    // A new folder object with one reference, or null (the base makes none).
    virtual CNameSpaceExtension* CreateFolder() noexcept;
    // A new UI object without folder, items or window, with one reference, or null.
    virtual CShellUIObject* CreateDefaultUIObject() noexcept;
    // Write and remove what COM and the shell need to find the classes of this factory; the
    // product's factory knows where they go (the base registers nothing and reports FALSE).
    virtual BOOL Register() noexcept;
    virtual BOOL Unregister() noexcept;

    // The folder object this factory created last, with a reference for the caller, or null.
    // UI objects that have no folder of their own work on it.
    CNameSpaceExtension* GetLastCreated() noexcept;
    // The same without a reference: only for callers that add their own at once.
    CNameSpaceExtension* PeekLastCreated() noexcept;
    // Drops the factory's reference to the folder created last.
    void ResetLastCreated() noexcept;
    ULONG GetRefCount() const noexcept { return m_cRef; }

protected:
    ~CNameSpaceFactory();

    // Makes pFolder (one reference, handed over) the folder created last.
    void SetLastCreated(CNameSpaceExtension* pFolder) noexcept;

private:
    // Not released when the module goes (see the destructor).
    CmdTargetPtr<CNameSpaceExtension> m_pLastCreated;
    std::mutex m_lastCreatedLock;
    std::atomic<ULONG> m_cRef{0};
};

// The UI object factory: makes its objects through the folder factory it is given.
class CUIObjectFactory : public CNameSpaceFactory
{
public:
    CUIObjectFactory() noexcept = default;

    STDMETHODIMP CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) override;

    // Not counted: the folder factory is a static object like this one.
    std::atomic<CNameSpaceFactory*> m_pFolderFactory{nullptr};
};

} // namespace corvasin
