// A kernel handle closed when it goes; INVALID_HANDLE_VALUE (a failed
// CreateFile) and null hold nothing.
#pragma once

#include <windows.h>

namespace simcd
{

class Handle
{
public:
    explicit Handle(HANDLE h) : m_h(h) {}
    ~Handle()
    {
        if (m_h != INVALID_HANDLE_VALUE && m_h != nullptr)
            CloseHandle(m_h);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE Get() const { return m_h; }

private:
    HANDLE m_h;
};

}  // namespace simcd
