#pragma once
// The single owner of one COM interface pointer: released exactly once.
#include <unknwn.h>

namespace orelib {

template <typename T>
class CComPtr {
public:
    CComPtr() = default;
    ~CComPtr() { Reset(); }

    CComPtr(CComPtr&& other) noexcept : m_pointer(other.m_pointer) { other.m_pointer = nullptr; }
    CComPtr& operator=(CComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            m_pointer = other.m_pointer;
            other.m_pointer = nullptr;
        }
        return *this;
    }
    CComPtr(const CComPtr&) = delete;
    CComPtr& operator=(const CComPtr&) = delete;

    T* Get() const { return m_pointer; }
    T* operator->() const { return m_pointer; }
    explicit operator bool() const { return m_pointer != nullptr; }

    void Reset() {
        if (m_pointer) {
            T* pointer = m_pointer;
            m_pointer = nullptr;
            pointer->Release();
        }
    }
    // For functions that return an interface through a pointer.
    T** Receive() {
        Reset();
        return &m_pointer;
    }
    void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }

private:
    T* m_pointer = nullptr;
};

}  // namespace orelib
