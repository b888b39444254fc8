// A kernel handle closed when it goes; INVALID_HANDLE_VALUE (a failed
// CreateFile) and null hold nothing.
#pragma once

#include <windows.h>

#include <cstdint>

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

// Reads cb bytes of a file at a byte offset; returns how many came (0 when
// the read fails).
inline DWORD ReadAt(HANDLE file, uint64_t offset, void* buffer, DWORD cb)
{
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD read = 0;
    return ::ReadFile(file, buffer, cb, &read, &at) ? read : 0;
}

}  // namespace simcd
