// The probe writes structures of its own layout into the program it works,
// so it refuses a program built for the other bitness, saying why, before it
// starts it.
#include "tools/probe/RemoteProgram.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{
std::string TempFile(const char* pszName)
{
    char dir[MAX_PATH] = {};
    ::GetTempPathA(sizeof dir, dir);
    return std::string(dir) + pszName;
}

// A copy of this test's own executable whose header names another machine.
std::string CopyBuiltFor(WORD machine)
{
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, sizeof self);
    std::ifstream in(self, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const IMAGE_DOS_HEADER* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes.data());
    const size_t at = static_cast<size_t>(dos->e_lfanew) + sizeof(DWORD) + offsetof(IMAGE_FILE_HEADER, Machine);
    memcpy(&bytes[at], &machine, sizeof machine);
    const std::string copy = TempFile("probe-other-bitness.exe");
    std::ofstream(copy, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return copy;
}
}  // namespace

TEST(Probe, RefusesAProgramOfTheOtherBitnessOrNoProgramAtAllWithoutStartingIt)
{
    const bool b64 = sizeof(void*) == 8;
    const std::string other = CopyBuiltFor(b64 ? IMAGE_FILE_MACHINE_I386 : IMAGE_FILE_MACHINE_AMD64);
    probe::RemoteProgram program;
    EXPECT_FALSE(program.Start(other));
    EXPECT_FALSE(program.Running());
    EXPECT_EQ(0u, program.Id());
    EXPECT_EQ("probe: " + other +
                  (b64 ? " is a 32-bit program and this probe is a 64-bit one"
                       : " is a 64-bit program and this probe is a 32-bit one") +
                  "; use the probe of the program's own build",
              program.Error());

    const std::string text = TempFile("probe-no-program.exe");
    std::ofstream(text) << "MZ, but no program\n";
    EXPECT_FALSE(program.Start(text));
    EXPECT_EQ(0u, program.Id());
    EXPECT_NE(std::string::npos, program.Error().find(" is no x86 program and this probe is ")) << program.Error();

    ::DeleteFileA(other.c_str());
    ::DeleteFileA(text.c_str());
}
