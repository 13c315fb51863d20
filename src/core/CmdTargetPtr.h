// A counted reference on a command target (folder, UI object): ExternalAddRef on copy,
// ExternalRelease on destruction. The partner of ComPtr for objects we hold by class.
#pragma once

#include <cstddef>
#include <utility>

namespace corvasin
{

template <typename T>
class CmdTargetPtr
{
public:
    CmdTargetPtr() noexcept = default;
    CmdTargetPtr(std::nullptr_t) noexcept {}
    // Takes a new reference on p.
    explicit CmdTargetPtr(T* p) noexcept : m_p(p)
    {
        if (m_p)
            m_p->ExternalAddRef();
    }
    CmdTargetPtr(const CmdTargetPtr& other) noexcept : CmdTargetPtr(other.m_p) {}
    CmdTargetPtr(CmdTargetPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    template <typename U>
    CmdTargetPtr(CmdTargetPtr<U>&& other) noexcept : m_p(other.detach())
    {
    }
    CmdTargetPtr& operator=(CmdTargetPtr other) noexcept
    {
        std::swap(m_p, other.m_p);
        return *this;
    }
    ~CmdTargetPtr() { reset(); }

    // Adopts a reference the caller already owns (a creation reference, say).
    static CmdTargetPtr Attach(T* p) noexcept
    {
        CmdTargetPtr result;
        result.m_p = p;
        return result;
    }

    T* get() const noexcept { return m_p; }
    T* operator->() const noexcept { return m_p; }
    T& operator*() const noexcept { return *m_p; }
    explicit operator bool() const noexcept { return m_p != nullptr; }

    void reset() noexcept
    {
        if (T* p = std::exchange(m_p, nullptr))
            p->ExternalRelease();
    }
    // Gives up the reference without releasing it: it leaves with the pointer.
    [[nodiscard]] T* detach() noexcept { return std::exchange(m_p, nullptr); }

private:
    T* m_p = nullptr;
};

} // namespace corvasin
