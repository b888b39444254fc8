#include "MountManager.h"

#include "Handle.h"

#include <windows.h>
#include <winioctl.h>

#include <cstring>
#include <vector>

namespace simcd
{

namespace
{

// Wine's own request to define a drive letter from a Unix directory.
const DWORD kDefineUnixDrive = CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

struct UnixDriveRequest
{
    ULONG size;
    ULONG type;
    ULONG fsType;
    DWORD serial;
    ULONGLONG unixDev;
    WCHAR letter;
    USHORT mountPointOffset;
    USHORT deviceOffset;
    USHORT labelOffset;
};

// The Unix path of a Windows folder, through Wine's kernel32 export.
bool UnixPathOf(const std::string& folder, std::string& unixPath)
{
    typedef char*(__cdecl * UnixNameFn)(LPCWSTR);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    // Through a plain function pointer type: the export is cdecl, not stdcall.
    UnixNameFn toUnix =
        reinterpret_cast<UnixNameFn>(reinterpret_cast<void (*)()>(GetProcAddress(kernel, "wine_get_unix_file_name")));
    if (!toUnix)
        return false;
    WCHAR wide[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, wide, MAX_PATH))
        return false;
    char* name = toUnix(wide);
    if (!name)
        return false;
    unixPath = name;
    HeapFree(GetProcessHeap(), 0, name);
    return true;
}

}  // namespace

bool MountManager::DefineCdrom(char letter, const std::string& folder, std::string& error)
{
    std::string unixPath;
    if (!UnixPathOf(folder, unixPath))
    {
        error = "no Unix path for " + folder + " (not running under Wine?)";
        return false;
    }
    return Send(letter, DRIVE_CDROM, unixPath, error);
}

bool MountManager::Remove(char letter, std::string& error)
{
    return Send(letter, DRIVE_NO_ROOT_DIR, std::string(), error);
}

bool MountManager::Send(char letter, unsigned long type, const std::string& unixPath, std::string& error)
{
    Handle manager(CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (manager.Get() == INVALID_HANDLE_VALUE)
    {
        error = "cannot reach the mount manager";
        return false;
    }
    std::vector<char> buffer(sizeof(UnixDriveRequest) + unixPath.size() + 1, 0);
    UnixDriveRequest request = {};
    request.size = static_cast<ULONG>(buffer.size());
    request.type = type;
    request.letter = static_cast<WCHAR>(letter >= 'A' && letter <= 'Z' ? letter - 'A' + 'a' : letter);
    if (!unixPath.empty())
    {
        request.mountPointOffset = sizeof(UnixDriveRequest);
        std::memcpy(buffer.data() + sizeof(UnixDriveRequest), unixPath.c_str(), unixPath.size() + 1);
    }
    std::memcpy(buffer.data(), &request, sizeof(request));
    DWORD returned = 0;
    if (!DeviceIoControl(manager.Get(), kDefineUnixDrive, buffer.data(), static_cast<DWORD>(buffer.size()), nullptr, 0,
                         &returned, nullptr))
    {
        error = std::string("the mount manager refused drive ") + letter + ": (error " +
                std::to_string(GetLastError()) + ")";
        return false;
    }
    return true;
}

}  // namespace simcd
