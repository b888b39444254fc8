// The simulated drives through the real winmm: what the program relies on.
#include "SimTestSupport.h"

#include <mmddk.h>

using simtest::MciDevice;
using simtest::SimFixture;

namespace {

const std::vector<uint32_t> kThreeTracks = {180000, 240000, 200000};

class MciDeviceTest : public SimFixture {};

TEST_F(MciDeviceTest, OpenCloseAndStateSurvivingReopen)
{
    DriveWithDisc('P', kThreeTracks);
    {
        MciDevice device('P');
        ASSERT_NE(0u, device.Id());
        EXPECT_EQ(MCI_DEVTYPE_CD_AUDIO, [&] {
            MCI_GETDEVCAPS_PARMS caps = {};
            caps.dwItem = MCI_GETDEVCAPS_DEVICE_TYPE;
            EXPECT_EQ(0u, device.Send(MCI_GETDEVCAPS, MCI_GETDEVCAPS_ITEM, &caps));
            return static_cast<UINT>(caps.dwReturn);
        }());
        simcd::SimDriveInfo info;
        ASSERT_TRUE(m_sim.GetDrive('P', info));
        EXPECT_EQ(1u, info.openDevices);
        ASSERT_EQ(0u, device.SetMilliseconds());
        ASSERT_EQ(0u, device.Play(MCI_FROM, 190000));
        EXPECT_EQ(static_cast<DWORD>(MCI_MODE_PLAY), device.Mode());
    }
    // The drive plays on without a device; a new device sees it, and a new
    // device starts in MSF time format again.
    simcd::SimDriveInfo info;
    ASSERT_TRUE(m_sim.GetDrive('P', info));
    EXPECT_EQ(0u, info.openDevices);
    EXPECT_EQ(static_cast<uint32_t>(MCI_MODE_PLAY), info.mode);
    MciDevice again('P');
    ASSERT_NE(0u, again.Id());
    EXPECT_EQ(static_cast<DWORD>(MCI_MODE_PLAY), again.Mode());
    EXPECT_EQ(static_cast<DWORD>(MCI_FORMAT_MSF), again.Status(MCI_STATUS_TIME_FORMAT));
    ASSERT_EQ(0u, again.SetMilliseconds());
    DWORD position = again.Position();
    EXPECT_GE(position, 190000u);
    EXPECT_LT(position, 195000u);
    EXPECT_EQ(0u, again.Send(MCI_STOP, MCI_WAIT));
}

// Opening starts the driver's notification thread and the last close stops
// it, while that thread may be waiting for the world.
TEST_F(MciDeviceTest, QuickOpenCloseCyclesWithAPendingNotification)
{
    DriveWithDisc('P', kThreeTracks);
    simtest::NotifyWindow window;
    for (int i = 0; i < 300; ++i) {
        MciDevice device('P');
        ASSERT_NE(0u, device.Id());
        ASSERT_EQ(0u, device.Play(MCI_NOTIFY, 0, 0, window.Handle()));
    }
    EXPECT_EQ(300u, window.Collect(100).size()); // every close aborted its play's notification
}

TEST_F(MciDeviceTest, OpenFailsForUnknownDriveAndWithFault)
{
    DriveWithDisc('P', kThreeTracks);
    ASSERT_TRUE(m_sim.SetFaults('P', simcd::kFaultOpenFails));
    MCIERROR error = 0;
    MciDevice faulty('P', &error);
    EXPECT_EQ(0u, faulty.Id());
    EXPECT_NE(0u, error);
    ASSERT_TRUE(m_sim.ClearFaults('P'));
    MciDevice healthy('P', &error);
    EXPECT_EQ(0u, error);
    // A letter that is not a CD-ROM drive never reaches the driver.
    MciDevice none('Q', &error);
    EXPECT_NE(0u, error);
}

TEST_F(MciDeviceTest, TableOfContentsInMillisecondsAndMsf)
{
    DriveWithDisc('P', kThreeTracks, 2500);
    MciDevice device('P');
    ASSERT_EQ(0u, device.SetMilliseconds());
    EXPECT_EQ(3u, device.Status(MCI_STATUS_NUMBER_OF_TRACKS));
    EXPECT_EQ(2500u, device.Status(MCI_STATUS_POSITION, MCI_STATUS_ITEM | MCI_STATUS_START));
    EXPECT_EQ(2500u, device.Status(MCI_STATUS_POSITION, MCI_STATUS_ITEM | MCI_TRACK, 1));
    EXPECT_EQ(182500u, device.Status(MCI_STATUS_POSITION, MCI_STATUS_ITEM | MCI_TRACK, 2));
    EXPECT_EQ(422500u, device.Status(MCI_STATUS_POSITION, MCI_STATUS_ITEM | MCI_TRACK, 3));
    EXPECT_EQ(240000u, device.Status(MCI_STATUS_LENGTH, MCI_STATUS_ITEM | MCI_TRACK, 2));
    EXPECT_EQ(620000u, device.Status(MCI_STATUS_LENGTH));
    EXPECT_EQ(2500u, device.Position());
    EXPECT_EQ(1u, device.Status(MCI_STATUS_CURRENT_TRACK));
    EXPECT_EQ(TRUE, device.Status(MCI_STATUS_MEDIA_PRESENT));
    EXPECT_EQ(TRUE, device.Status(MCI_STATUS_READY));

    // MSF: minutes, seconds and 75ths of a second, truncated.
    MCI_SET_PARMS set = {};
    set.dwTimeFormat = MCI_FORMAT_MSF;
    ASSERT_EQ(0u, device.Send(MCI_SET, MCI_SET_TIME_FORMAT, &set));
    EXPECT_EQ(static_cast<DWORD>(MCI_MAKE_MSF(3, 2, 37)),
              device.Status(MCI_STATUS_POSITION, MCI_STATUS_ITEM | MCI_TRACK, 2));
    EXPECT_EQ(static_cast<DWORD>(MCI_MAKE_MSF(4, 0, 0)),
              device.Status(MCI_STATUS_LENGTH, MCI_STATUS_ITEM | MCI_TRACK, 2));
    MCI_SEEK_PARMS seek = {};
    seek.dwTo = MCI_MAKE_MSF(5, 0, 0);
    ASSERT_EQ(0u, device.Send(MCI_SEEK, MCI_TO | MCI_WAIT, &seek));
    simcd::SimDriveInfo info;
    ASSERT_TRUE(m_sim.GetDrive('P', info));
    EXPECT_EQ(300000u, info.positionMs);
}

TEST_F(MciDeviceTest, PlayPauseResumeStopSeekAndTheModesTheyLeave)
{
    DriveWithDisc('P', kThreeTracks);
    MciDevice device('P');
    ASSERT_EQ(0u, device.SetMilliseconds());
    EXPECT_EQ(static_cast<DWORD>(MCI_MODE_STOP), device.Mode());

    ASSERT_TRUE(m_sim.SetTimeFactor(100.0));
    ASSERT_EQ(0u, device.Play(MCI_FROM, 182000));
    Sleep(100);
    EXPECT_EQ(static_cast<DWORD>(MCI_MODE_PLAY), device.Mode());
    DWORD playing = device.Position();
    EXPECT_GT(playing, 182000u + 5000u); // 100 ms at factor 100 is 10 s
    EXPECT_EQ(2u, device.Status(MCI_STATUS_CURRENT_TRACK));

    ASSERT_EQ(0u, device.Send(MCI_PAUSE, MCI_WAIT));
    EXPECT_EQ(static_cast<DWORD>(MCI_MODE_PAUSE), device.Mode());
    DWORD paused = device.Position();
    Sleep(50);
    EXPECT_EQ(paused, device.Position());

    ASSERT_EQ(0u, device.Send(MCI_RESUME, MCI_WAIT));
    EXPECT_EQ(static_cast<DWORD>(MCI_MODE_PLAY), device.Mode());
    Sleep(50);
    EXPECT_GT(device.Position(), paused);

    ASSERT_EQ(0u, device.Send(MCI_STOP, MCI_WAIT));
    EXPECT_EQ(static_cast<DWORD>(MCI_MODE_STOP), device.Mode());
    DWORD stopped = device.Position();
    EXPECT_EQ(static_cast<DWORD>(MCIERR_HARDWARE), device.Send(MCI_RESUME, 0));
    EXPECT_EQ(stopped, device.Position()); // stop does not rewind

    // Pause of a stopped drive leaves it stopped; seek stops a playing one.
    ASSERT_EQ(0u, device.Send(MCI_PAUSE, MCI_WAIT));
    EXPECT_EQ(static_cast<DWORD>(MCI_MODE_STOP), device.Mode());
    ASSERT_EQ(0u, device.Play(0));
    MCI_SEEK_PARMS seek = {};
    seek.dwTo = 421999; // the last millisecond of track 2
    ASSERT_EQ(0u, device.Send(MCI_SEEK, MCI_TO | MCI_WAIT, &seek));
    EXPECT_EQ(static_cast<DWORD>(MCI_MODE_STOP), device.Mode());
    EXPECT_EQ(421999u, device.Position());
    EXPECT_EQ(2u, device.Status(MCI_STATUS_CURRENT_TRACK));
    ASSERT_EQ(0u, device.Send(MCI_SEEK, MCI_SEEK_TO_END | MCI_WAIT, &seek));
    EXPECT_EQ(622000u, device.Position());
    EXPECT_EQ(3u, device.Status(MCI_STATUS_CURRENT_TRACK));
}

TEST_F(MciDeviceTest, PlayWithWaitReturnsAtTheEndAndPlayToStopsThere)
{
    DriveWithDisc('P', kThreeTracks);
    MciDevice device('P');
    ASSERT_EQ(0u, device.SetMilliseconds());
    DWORD before = GetTickCount();
    ASSERT_EQ(0u, device.Play(MCI_FROM | MCI_TO | MCI_WAIT, 10000, 10300));
    DWORD took = GetTickCount() - before;
    EXPECT_GE(took, 280u);
    EXPECT_LT(took, 1000u);
    EXPECT_EQ(static_cast<DWORD>(MCI_MODE_STOP), device.Mode());
    EXPECT_EQ(10300u, device.Position());

    // Without MCI_WAIT the call returns at once and the drive plays on.
    before = GetTickCount();
    ASSERT_EQ(0u, device.Play(MCI_FROM | MCI_TO, 20000, 20300));
    EXPECT_LT(GetTickCount() - before, 100u);
    EXPECT_EQ(static_cast<DWORD>(MCI_MODE_PLAY), device.Mode());
    Sleep(450);
    EXPECT_EQ(static_cast<DWORD>(MCI_MODE_STOP), device.Mode());
    EXPECT_EQ(20300u, device.Position());
}

TEST_F(MciDeviceTest, DoorAndMedia)
{
    DriveWithDisc('P', kThreeTracks);
    MciDevice device('P');
    ASSERT_EQ(0u, device.SetMilliseconds());
    ASSERT_EQ(0u, device.Play(MCI_FROM, 5000));

    // The program's eject: MCI_SET with the door-open flag alone.
    MCI_SET_PARMS set = {};
    ASSERT_EQ(0u, device.Send(MCI_SET, MCI_SET_DOOR_OPEN, &set));
    EXPECT_EQ(static_cast<DWORD>(MCI_MODE_OPEN), device.Mode());
    EXPECT_EQ(FALSE, device.Status(MCI_STATUS_MEDIA_PRESENT));
    MCIERROR error = 0;
    device.Status(MCI_STATUS_NUMBER_OF_TRACKS, MCI_STATUS_ITEM, 0, &error);
    EXPECT_EQ(static_cast<MCIERROR>(MCIERR_DEVICE_NOT_READY), error);
    simcd::SimDriveInfo info;
    ASSERT_TRUE(m_sim.GetDrive('P', info));
    EXPECT_TRUE(info.doorOpen);
    EXPECT_TRUE(info.hasDisc);

    ASSERT_EQ(0u, device.Send(MCI_SET, MCI_SET_DOOR_CLOSED | MCI_WAIT, &set));
    EXPECT_EQ(static_cast<DWORD>(MCI_MODE_STOP), device.Mode());
    EXPECT_EQ(TRUE, device.Status(MCI_STATUS_MEDIA_PRESENT));

    // A disc taken out by the controller is gone for the open device too.
    ASSERT_TRUE(m_sim.RemoveDisc('P'));
    EXPECT_EQ(FALSE, device.Status(MCI_STATUS_MEDIA_PRESENT));
    DWORD untouched = device.Status(MCI_STATUS_NUMBER_OF_TRACKS, MCI_STATUS_ITEM, 0, &error);
    EXPECT_EQ(static_cast<MCIERROR>(MCIERR_DEVICE_NOT_READY), error);
    EXPECT_EQ(0xFEEDABADu, untouched);
    EXPECT_EQ(static_cast<MCIERROR>(MCIERR_DEVICE_NOT_READY), device.Play(0));
    ASSERT_TRUE(m_sim.InsertDisc('P', {60000}));
    EXPECT_EQ(1u, device.Status(MCI_STATUS_NUMBER_OF_TRACKS));
}

TEST_F(MciDeviceTest, EachFault)
{
    DriveWithDisc('P', kThreeTracks);
    MciDevice device('P');
    ASSERT_EQ(0u, device.SetMilliseconds());
    MCIERROR error = 0;

    ASSERT_TRUE(m_sim.SetFaults('P', simcd::kFaultStatusFails));
    EXPECT_EQ(0xFEEDABADu, device.Status(MCI_STATUS_MODE, MCI_STATUS_ITEM, 0, &error));
    EXPECT_EQ(static_cast<MCIERROR>(MCIERR_HARDWARE), error);

    ASSERT_TRUE(m_sim.SetFaults('P', simcd::kFaultNotReady));
    EXPECT_EQ(static_cast<DWORD>(MCI_MODE_NOT_READY), device.Mode());
    EXPECT_EQ(static_cast<MCIERROR>(MCIERR_HARDWARE), device.Play(0));
    EXPECT_EQ(static_cast<DWORD>(MCI_MODE_NOT_READY), device.Mode());

    ASSERT_TRUE(m_sim.SetFaults('P', simcd::kFaultZeroTracks));
    EXPECT_EQ(TRUE, device.Status(MCI_STATUS_MEDIA_PRESENT));
    EXPECT_EQ(0u, device.Status(MCI_STATUS_NUMBER_OF_TRACKS));
    device.Status(MCI_STATUS_POSITION, MCI_STATUS_ITEM | MCI_TRACK, 1, &error);
    EXPECT_EQ(static_cast<MCIERROR>(MCIERR_OUTOFRANGE), error);

    ASSERT_TRUE(m_sim.SetFaults('P', simcd::kFaultPositionPastEnd));
    DWORD lastStart = device.Status(MCI_STATUS_POSITION, MCI_STATUS_ITEM | MCI_TRACK, 3);
    DWORD lastLength = device.Status(MCI_STATUS_LENGTH, MCI_STATUS_ITEM | MCI_TRACK, 3);
    EXPECT_GT(device.Position(), lastStart + lastLength);

    ASSERT_TRUE(m_sim.SetFaults('P', simcd::kFaultDelay, 150));
    DWORD before = GetTickCount();
    device.Mode();
    EXPECT_GE(GetTickCount() - before, 140u);

    ASSERT_TRUE(m_sim.ClearFaults('P'));
    before = GetTickCount();
    EXPECT_EQ(static_cast<DWORD>(MCI_MODE_STOP), device.Mode());
    EXPECT_LT(GetTickCount() - before, 50u);
}

TEST_F(MciDeviceTest, MalformedCommandsGetMciErrorsAndChangeNothing)
{
    DriveWithDisc('P', kThreeTracks);
    MciDevice device('P');
    ASSERT_EQ(0u, device.SetMilliseconds());
    MCIERROR error = 0;
    auto statusError = [&](DWORD item, DWORD flags, DWORD track) {
        DWORD value = device.Status(item, flags, track, &error);
        EXPECT_EQ(0xFEEDABADu, value) << "return field written on error";
        return error;
    };
    EXPECT_EQ(static_cast<MCIERROR>(MCIERR_NULL_PARAMETER_BLOCK),
              device.Send(MCI_STATUS, MCI_STATUS_ITEM));
    EXPECT_EQ(static_cast<MCIERROR>(MCIERR_MISSING_PARAMETER), statusError(MCI_STATUS_MODE, 0, 0));
    EXPECT_EQ(static_cast<MCIERROR>(MCIERR_OUTOFRANGE),
              statusError(MCI_STATUS_LENGTH, MCI_STATUS_ITEM | MCI_TRACK, 4));
    EXPECT_EQ(static_cast<MCIERROR>(MCIERR_OUTOFRANGE),
              statusError(MCI_STATUS_POSITION, MCI_STATUS_ITEM | MCI_TRACK, 0));
    EXPECT_EQ(static_cast<MCIERROR>(MCIERR_FLAGS_NOT_COMPATIBLE),
              statusError(MCI_STATUS_POSITION, MCI_STATUS_ITEM | MCI_TRACK | MCI_STATUS_START, 1));
    EXPECT_EQ(static_cast<MCIERROR>(MCIERR_UNSUPPORTED_FUNCTION), statusError(0x7777, MCI_STATUS_ITEM, 0));
    EXPECT_EQ(static_cast<MCIERROR>(MCIERR_UNRECOGNIZED_KEYWORD),
              statusError(MCI_STATUS_MODE, MCI_STATUS_ITEM | 0x00800000, 0));

    EXPECT_EQ(static_cast<MCIERROR>(MCIERR_NULL_PARAMETER_BLOCK), device.Send(MCI_PLAY, MCI_FROM));
    EXPECT_EQ(static_cast<MCIERROR>(MCIERR_OUTOFRANGE), device.Play(MCI_FROM, 1000));
    EXPECT_EQ(static_cast<MCIERROR>(MCIERR_OUTOFRANGE), device.Play(MCI_FROM | MCI_TO, 9000, 8000));
    EXPECT_EQ(static_cast<MCIERROR>(MCIERR_OUTOFRANGE), device.Play(MCI_FROM, 622001));
    MCI_SEEK_PARMS seek = {};
    EXPECT_EQ(static_cast<MCIERROR>(MCIERR_MISSING_PARAMETER), device.Send(MCI_SEEK, MCI_WAIT, &seek));
    EXPECT_EQ(static_cast<MCIERROR>(MCIERR_FLAGS_NOT_COMPATIBLE),
              device.Send(MCI_SEEK, MCI_SEEK_TO_START | MCI_SEEK_TO_END, &seek));
    MCI_SET_PARMS set = {};
    set.dwTimeFormat = MCI_FORMAT_SMPTE_25;
    EXPECT_EQ(static_cast<MCIERROR>(MCIERR_BAD_TIME_FORMAT), device.Send(MCI_SET, MCI_SET_TIME_FORMAT, &set));
    EXPECT_EQ(static_cast<DWORD>(MCI_FORMAT_MILLISECONDS), device.Status(MCI_STATUS_TIME_FORMAT));
    EXPECT_EQ(static_cast<MCIERROR>(MCIERR_UNSUPPORTED_FUNCTION), device.Send(MCI_RECORD, 0));

    // None of it moved the drive.
    EXPECT_EQ(static_cast<DWORD>(MCI_MODE_STOP), device.Mode());
    EXPECT_EQ(2000u, device.Position());
}

} // namespace
