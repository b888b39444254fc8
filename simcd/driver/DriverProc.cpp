// The entry point of the installable MCI driver for the device type
// "cdaudio": winmm's two-phase open, then one SimDevice per opened device.
#include "../SimWorld.h"
#include "NotifyWatcher.h"
#include "SimDevice.h"
#include "SoundPlayer.h"

#include <windows.h>
#include <mmsystem.h>
#include <mmddk.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <new>
#include <type_traits>
#include <vector>

namespace
{

// What the session open (the first DRV_OPEN, without parameters) returns.
const LRESULT kSessionId = 1;

// The driver's state in this process: the world, the notification and
// sound threads and the devices open here.
struct DriverState
{
    simcd::SimWorld world;
    simcd::NotifyWatcher watcher{ world };
    simcd::SoundPlayer player{ world };
    std::vector<std::unique_ptr<simcd::SimDevice>> devices;
};

std::mutex g_mutex;
std::unique_ptr<DriverState> g_pState;

DriverState& State()
{
    if (!g_pState)
        g_pState.reset(new DriverState);
    return *g_pState;
}

// The open device whose address is the driver id winmm passes; end() when none.
std::vector<std::unique_ptr<simcd::SimDevice>>::iterator FindOpen(DWORD_PTR id)
{
    auto& devices = g_pState->devices;
    return std::find_if(devices.begin(), devices.end(),
                        [id](const auto& device) { return reinterpret_cast<DWORD_PTR>(device.get()) == id; });
}

simcd::SimDevice* FindDevice(DWORD_PTR id)
{
    if (!g_pState)
        return nullptr;
    auto it = FindOpen(id);
    return it == g_pState->devices.end() ? nullptr : it->get();
}

LRESULT OpenDevice(MCI_OPEN_DRIVER_PARMS* params)
{
    if (!params)
        return kSessionId;
    params->wType = MCI_DEVTYPE_CD_AUDIO;
    params->wCustomCommandTable = MCI_NO_COMMAND_TABLE;
    char letter = simcd::SimDevice::DriveLetterOf(params->lpstrParams);
    std::lock_guard<std::mutex> lock(g_mutex);
    DriverState& state = State();
    state.devices.emplace_back(
        new simcd::SimDevice(state.world, state.watcher, state.player, params->wDeviceID, letter));
    return reinterpret_cast<LRESULT>(state.devices.back().get());
}

LRESULT CloseDevice(DWORD_PTR id)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_pState)
    {
        auto it = FindOpen(id);
        if (it != g_pState->devices.end())
            g_pState->devices.erase(it);
    }
    return 1;
}

LRESULT FreeDriver()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_pState.reset();
    return 1;
}

LRESULT Command(DWORD_PTR id, UINT message, LPARAM flags, LPARAM params)
{
    simcd::SimDevice* device;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        device = FindDevice(id);
    }
    if (!device)
        return MCIERR_INVALID_DEVICE_ID;
    return device->Command(message, static_cast<DWORD>(flags), static_cast<DWORD_PTR>(params));
}

}  // namespace

// winmm finds the driver by this name and calls it as a DRIVERPROC: a
// declaration with another calling convention fails to compile.
extern "C" __declspec(dllexport) LRESULT CALLBACK
    DriverProc(DWORD_PTR id, HDRVR driver, UINT message, LPARAM p1, LPARAM p2);
static_assert(std::is_same<decltype(&DriverProc), DRIVERPROC>::value, "winmm calls DriverProc as a DRIVERPROC");

extern "C" LRESULT CALLBACK DriverProc(DWORD_PTR id, HDRVR driver, UINT message, LPARAM p1, LPARAM p2)
{
    try
    {
        switch (message)
        {
        case DRV_LOAD:
        case DRV_ENABLE:
        case DRV_DISABLE:
            return 1;
        case DRV_FREE:
            return FreeDriver();
        case DRV_OPEN:
            return OpenDevice(reinterpret_cast<MCI_OPEN_DRIVER_PARMS*>(p2));
        case DRV_CLOSE:
            return CloseDevice(id);
        case DRV_QUERYCONFIGURE:
            return 0;
        default:
            if (message >= DRV_MCI_FIRST && message <= DRV_MCI_LAST)
                return Command(id, message, p1, p2);
            return DefDriverProc(id, driver, message, p1, p2);
        }
    }
    catch (const std::bad_alloc&)
    {
        return MCIERR_OUT_OF_MEMORY;
    }
    catch (...)
    {
        return MCIERR_DRIVER_INTERNAL;
    }
}
