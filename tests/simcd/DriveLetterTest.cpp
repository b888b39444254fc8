// Drives appearing and vanishing for a running program, and the world seen
// from another process.
#include "SimTestSupport.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>

using simtest::MciDevice;
using simtest::SimFixture;

namespace {

bool LetterListed(char letter)
{
    char drives[512] = {};
    DWORD length = GetLogicalDriveStringsA(sizeof(drives), drives);
    for (const char* root = drives; root < drives + length && *root; root += std::strlen(root) + 1)
        if (root[0] == letter)
            return true;
    return false;
}

std::string DisplayName(const char* root)
{
    SHFILEINFOA info = {};
    if (!SHGetFileInfoA(root, 0, &info, sizeof(info), SHGFI_DISPLAYNAME))
        return "(none)";
    return info.szDisplayName;
}

class DriveLetterTest : public SimFixture {};

TEST_F(DriveLetterTest, DefinedDrivesAppearAndVanishForThisProcess)
{
    ASSERT_FALSE(LetterListed('R'));
    EXPECT_EQ(static_cast<UINT>(DRIVE_NO_ROOT_DIR), GetDriveTypeA("R:\\"));

    ASSERT_TRUE(m_sim.DefineDrive('R', "EVENING RAGAS")) << m_sim.GetLastError();
    ASSERT_TRUE(m_sim.DefineDrive('S')) << m_sim.GetLastError();
    EXPECT_TRUE(LetterListed('R'));
    EXPECT_EQ(static_cast<UINT>(DRIVE_CDROM), GetDriveTypeA("R:\\"));
    EXPECT_EQ("EVENING RAGAS (R:)", DisplayName("R:\\"));
    EXPECT_EQ(" (S:)", DisplayName("S:\\"));

    ASSERT_TRUE(m_sim.RemoveDrive('R'));
    EXPECT_FALSE(LetterListed('R'));
    EXPECT_EQ(static_cast<UINT>(DRIVE_NO_ROOT_DIR), GetDriveTypeA("R:\\"));
    EXPECT_TRUE(LetterListed('S'));
}

TEST_F(DriveLetterTest, EveryLetterButTheSystemDriveAndTheUnixRootCanBeADrive)
{
    for (char letter : {'A', 'B', 'Y'}) {
        ASSERT_TRUE(m_sim.DefineDrive(letter)) << m_sim.GetLastError();
        const char root[] = {letter, ':', '\\', '\0'};
        EXPECT_EQ(static_cast<UINT>(DRIVE_CDROM), GetDriveTypeA(root)) << root;
    }
    EXPECT_FALSE(m_sim.DefineDrive('C'));
    EXPECT_FALSE(m_sim.DefineDrive('Z'));
    EXPECT_EQ(static_cast<UINT>(DRIVE_FIXED), GetDriveTypeA("C:\\"));
    ASSERT_TRUE(m_sim.RemoveAllDrives());
    EXPECT_FALSE(LetterListed('A'));
}

TEST_F(DriveLetterTest, TheToolInAnotherProcessChangesTheSameWorld)
{
    ASSERT_EQ(0, simtest::RunSimcd("define q: \"FROM TOOL\""));
    EXPECT_EQ(static_cast<UINT>(DRIVE_CDROM), GetDriveTypeA("Q:\\"));
    ASSERT_EQ(0, simtest::RunSimcd("insert Q 61000,62000 start=3000"));
    MciDevice device('Q');
    ASSERT_EQ(0u, device.SetMilliseconds());
    EXPECT_EQ(2u, device.Status(MCI_STATUS_NUMBER_OF_TRACKS));
    EXPECT_EQ(3000u, device.Status(MCI_STATUS_POSITION, MCI_STATUS_ITEM | MCI_STATUS_START));
    ASSERT_EQ(0u, device.Play(MCI_FROM, 50000));

    // What this process did, the tool sees.
    std::string state;
    ASSERT_EQ(0, simtest::RunSimcd("state Q:", &state));
    EXPECT_NE(std::string::npos, state.find("Q: \"FROM TOOL\" playing")) << state;
    EXPECT_NE(std::string::npos, state.find("1 devices open")) << state;
}

TEST_F(DriveLetterTest, TheToolRejectsWrongArgumentsAndChangesNothing)
{
    DriveWithDisc('P', {60000});
    const char* const wrong[] = {
        "",  "frobnicate", "insert P:", "insert P: 60000,,1", "insert 7 60000",
        "fault P: loud", "fault P: delay", "speed fast", "speed 0", "define P:",
        "takeout R:", "insert P: 500",
    };
    for (const char* arguments : wrong) {
        std::string output;
        int status = simtest::RunSimcd(arguments, &output);
        EXPECT_NE(0, status) << arguments;
        if (*arguments) {
            EXPECT_EQ(1, std::count(output.begin(), output.end(), '\n')) << arguments << ": " << output;
        }
    }
    simcd::SimDriveInfo info;
    ASSERT_TRUE(m_sim.GetDrive('P', info));
    EXPECT_EQ(0u, info.faults);
    EXPECT_EQ(1u, info.trackLengthsMs.size());
    EXPECT_EQ(1.0, m_sim.GetTimeFactor());
    EXPECT_FALSE(m_sim.GetDrive('R', info));
}

} // namespace
