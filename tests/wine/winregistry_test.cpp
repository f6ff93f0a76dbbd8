// The System Information lookups and launch against the real Windows
// registry, file system and process launch (run under wine on Linux).
// The test writes its own values under the two keys the launcher reads, and
// puts back whatever was there before when it ends.
#include "platform/os/win/winlauncher.h"
#include "platform/os/win/winregistry.h"
#include "windows/sysinfo/sysinfolauncher.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kalvor {
namespace {

using namespace std::string_literals;

const char* const InfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const char* const LocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
const std::string Message = "System Information Is Unavailable At This Time";

struct StoredValue {
    DWORD type;
    std::string bytes;
};

std::optional<StoredValue> readValue(const char* key, const char* name)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    DWORD type = 0;
    DWORD size = 0;
    std::optional<StoredValue> value;
    if (RegQueryValueExA(handle, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        std::string bytes(size, '\0');
        if (RegQueryValueExA(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &size)
            == ERROR_SUCCESS) {
            bytes.resize(size);
            value = StoredValue{type, bytes};
        }
    }
    RegCloseKey(handle);
    return value;
}

bool keyExists(const char* key)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(handle);
    return true;
}

void writeValue(const char* key, const char* name, const StoredValue& value)
{
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr),
              ERROR_SUCCESS)
        << key;
    const LONG rc = RegSetValueExA(handle, name, 0, value.type, reinterpret_cast<const BYTE*>(value.bytes.data()),
                                   static_cast<DWORD>(value.bytes.size()));
    RegCloseKey(handle);
    ASSERT_EQ(rc, ERROR_SUCCESS) << key << " " << name;
}

void removeValue(const char* key, const char* name)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_WRITE, &handle) == ERROR_SUCCESS) {
        RegDeleteValueA(handle, name);
        RegCloseKey(handle);
    }
}

// Remembers the two values (and whether their keys existed) before the
// tests and puts them back afterwards, so the registry ends as it began.
class RegistryGuard : public ::testing::Environment {
public:
    void SetUp() override
    {
        for (Slot& slot : slots_) {
            slot.keyExisted = keyExists(slot.key);
            slot.before = readValue(slot.key, slot.name);
        }
    }
    void TearDown() override
    {
        for (Slot& slot : slots_) {
            if (slot.before) {
                writeValue(slot.key, slot.name, *slot.before);
            } else {
                removeValue(slot.key, slot.name);
            }
            if (!slot.keyExisted) {
                RegDeleteKeyA(HKEY_LOCAL_MACHINE, slot.key);
            }
        }
    }

private:
    struct Slot {
        const char* key;
        const char* name;
        bool keyExisted = false;
        std::optional<StoredValue> before;
    };
    Slot slots_[2] = {{InfoKey, "PATH"}, {LocationKey, "MSINFO"}};
};

std::string folderOf(const std::string& path)
{
    return path.substr(0, path.find_last_of('\\'));
}

std::string thisProgram()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

// The small program that writes "<its path>.ran" when started.
std::string markerProgram()
{
    return folderOf(thisProgram()) + "\\marker.exe";
}

bool fileExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The marker's text, or nothing while the file cannot be read yet.
std::string readMarker(const std::string& marker)
{
    std::string text;
    const HANDLE file = CreateFileA(marker.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        char buffer[64] = {};
        DWORD got = 0;
        ReadFile(file, buffer, sizeof buffer - 1, &got, nullptr);
        text.assign(buffer, got);
        CloseHandle(file);
    }
    return text;
}

// Waits up to 20 s for the marker a started program writes. The text is read
// until it arrives: under a busy emulator the file can be seen (and even
// opened by its writer) a moment before its text can be read.
std::string waitForMarker(const std::string& program)
{
    const std::string marker = program + ".ran";
    std::string text;
    for (int i = 0; i < 400 && (text = readMarker(marker)).empty(); ++i) {
        Sleep(50);
    }
    return text;
}

// A scratch folder under the temporary folder, removed with its files.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name)
    {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        path_ = std::string(temp) + "kalvor-" + name + "-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~ScratchFolder()
    {
        WIN32_FIND_DATAA found{};
        const HANDLE search = FindFirstFileA((path_ + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::string file = path_ + "\\" + found.cFileName;
                SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(file.c_str());
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(path_.c_str());
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

struct Outcome {
    std::vector<std::string> messages;
};

Outcome startSysInfo()
{
    WinRegistry registry;
    WinLauncher launcher;
    Outcome outcome;
    SysInfoLauncher sysInfo(registry, launcher, [&](const std::string& text) { outcome.messages.push_back(text); });
    sysInfo.StartSysInfo();
    return outcome;
}

std::string dword(DWORD value)
{
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

// ---- GetKeyValue on real values ----

struct ValueCase {
    const char* name;
    StoredValue stored;
    bool expectedResult;
    std::string expectedText;  // starts as "before"
};

class RealGetKeyValue : public ::testing::TestWithParam<ValueCase> {};

TEST_P(RealGetKeyValue, ReadsStoredValue)
{
    const ValueCase& c = GetParam();
    writeValue(InfoKey, "PATH", c.stored);
    WinRegistry registry;
    WinLauncher launcher;
    SysInfoLauncher sysInfo(registry, launcher, [](const std::string&) {});
    std::string text = "before";
    EXPECT_EQ(sysInfo.GetKeyValue(SysInfoLauncher::LocalMachine, InfoKey, "PATH", text), c.expectedResult);
    EXPECT_EQ(text, c.expectedText);
    removeValue(InfoKey, "PATH");
}

INSTANTIATE_TEST_SUITE_P(
    Values, RealGetKeyValue,
    ::testing::Values(ValueCase{"StringWithNul", {REG_SZ, "C:\\Info\\msinfo32.exe\0"s}, true, "C:\\Info\\msinfo32.exe"},
                      ValueCase{"StringWithoutNul", {REG_SZ, "C:\\Info\\msinfo32.exe"}, true, "C:\\Info\\msinfo32.exe"},
                      ValueCase{"FullBuffer", {REG_SZ, std::string(1023, 'x') + '\0'}, true, std::string(1023, 'x')},
                      ValueCase{"OverBufferIsAbsent", {REG_SZ, std::string(1500, 'y') + '\0'}, false, ""},
                      ValueCase{"Dword", {REG_DWORD, dword(0x01020304)}, true, "16909060"},
                      ValueCase{"DwordAllOnes", {REG_DWORD, dword(0xFFFFFFFF)}, true, "4294967295"},
                      ValueCase{"BinaryLeavesText", {REG_BINARY, "\x01\x02"s}, true, "before"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RealGetKeyValueCalls, ZeroLengthValueThrows)
{
    writeValue(InfoKey, "PATH", {REG_BINARY, ""});
    WinRegistry registry;
    WinLauncher launcher;
    SysInfoLauncher sysInfo(registry, launcher, [](const std::string&) {});
    std::string text = "kept";
    EXPECT_THROW(sysInfo.GetKeyValue(SysInfoLauncher::LocalMachine, InfoKey, "PATH", text), std::runtime_error);
    removeValue(InfoKey, "PATH");
}

TEST(RealGetKeyValueCalls, MissingKeyAndValueAreAbsent)
{
    removeValue(InfoKey, "PATH");
    WinRegistry registry;
    WinLauncher launcher;
    SysInfoLauncher sysInfo(registry, launcher, [](const std::string&) {});
    for (const char* key : {InfoKey, "SOFTWARE\\kalvor-no-such-key"}) {
        std::string text = "old";
        EXPECT_FALSE(sysInfo.GetKeyValue(SysInfoLauncher::LocalMachine, key, "PATH", text)) << key;
        EXPECT_EQ(text, "") << key;
    }
}

// ---- StartSysInfo, every case, with real launches ----

TEST(RealStartSysInfo, FirstValueLaunchesTheProgram)
{
    ScratchFolder folder("first");
    const std::string program = folder.path() + "\\info tool.exe";  // a blank in the name on purpose
    ASSERT_TRUE(CopyFileA(markerProgram().c_str(), program.c_str(), FALSE));
    for (const std::string& stored : {program + '\0', program}) {
        DeleteFileA((program + ".ran").c_str());
        writeValue(InfoKey, "PATH", {REG_SZ, stored});
        removeValue(LocationKey, "MSINFO");
        const Outcome outcome = startSysInfo();
        EXPECT_TRUE(outcome.messages.empty());
        EXPECT_EQ(waitForMarker(program), "show=1") << "with NUL: " << (stored.size() > program.size());
    }
    removeValue(InfoKey, "PATH");
}

TEST(RealStartSysInfo, FirstValueWithoutFileSaysUnavailable)
{
    ScratchFolder folder("nofile");
    writeValue(InfoKey, "PATH", {REG_SZ, folder.path() + "\\msinfo32.exe\0"s});
    const Outcome outcome = startSysInfo();
    EXPECT_EQ(outcome.messages, std::vector<std::string>{Message});
    removeValue(InfoKey, "PATH");
}

struct FolderCase {
    const char* name;
    std::optional<StoredValue> first;  // nullopt: no first value
    bool folderValue;                  // the second value names the scratch folder
    bool programInFolder;              // MSINFO32.EXE is in the folder
    bool expectedLaunch;
};

class RealFolderLookup : public ::testing::TestWithParam<FolderCase> {};

TEST_P(RealFolderLookup, LaunchesFromFolderOrSaysUnavailable)
{
    const FolderCase& c = GetParam();
    ScratchFolder folder(c.name);
    const std::string program = folder.path() + "\\MSINFO32.EXE";
    if (c.programInFolder) {
        ASSERT_TRUE(CopyFileA(markerProgram().c_str(), program.c_str(), FALSE));
    } else {
        ASSERT_TRUE(CopyFileA(markerProgram().c_str(), (folder.path() + "\\other.exe").c_str(), FALSE));
    }
    if (c.first) {
        writeValue(InfoKey, "PATH", *c.first);
    } else {
        removeValue(InfoKey, "PATH");
    }
    if (c.folderValue) {
        writeValue(LocationKey, "MSINFO", {REG_SZ, folder.path() + '\0'});
    } else {
        removeValue(LocationKey, "MSINFO");
    }

    const Outcome outcome = startSysInfo();

    if (c.expectedLaunch) {
        EXPECT_TRUE(outcome.messages.empty());
        EXPECT_EQ(waitForMarker(program), "show=1");
    } else {
        EXPECT_EQ(outcome.messages, std::vector<std::string>{Message});
        Sleep(200);
        EXPECT_FALSE(fileExists(program + ".ran"));
    }
    removeValue(InfoKey, "PATH");
    removeValue(LocationKey, "MSINFO");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RealFolderLookup,
    ::testing::Values(FolderCase{"SecondWithProgram", std::nullopt, true, true, true},
                      FolderCase{"SecondWithoutProgram", std::nullopt, true, false, false},
                      FolderCase{"BothAbsent", std::nullopt, false, true, false},
                      FolderCase{"FirstTooLongUsesSecond", StoredValue{REG_SZ, std::string(2000, 'p') + '\0'}, true,
                                 true, true},
                      // The error of a zero-length first value ends the
                      // search before the second lookup.
                      FolderCase{"FirstZeroLengthTrapped", StoredValue{REG_SZ, ""}, true, true, false}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- the file test and the launch on their own ----

TEST(RealLauncher, DirFindsNormalFilesOnly)
{
    ScratchFolder folder("dir");
    const std::string file = folder.path() + "\\MSINFO32.EXE";
    const std::string hidden = folder.path() + "\\hidden.exe";
    ASSERT_TRUE(CopyFileA(markerProgram().c_str(), file.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(markerProgram().c_str(), hidden.c_str(), FALSE));
    SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);

    struct DirCase {
        std::string path;
        std::string expected;
    };
    WinLauncher launcher;
    for (const DirCase& c : {DirCase{file, "MSINFO32.EXE"}, DirCase{folder.path() + "\\msinfo32.exe", "MSINFO32.EXE"},
                             DirCase{folder.path() + "\\missing.exe", ""}, DirCase{folder.path(), ""},
                             DirCase{hidden, ""}, DirCase{"", ""}, DirCase{file + "\0junk"s, ""}}) {
        EXPECT_EQ(launcher.Dir(c.path), c.expected) << c.path;
    }
}

TEST(RealLauncher, ShellFailureThrows)
{
    ScratchFolder folder("shell");
    const std::string program = folder.path() + "\\ok.exe";
    ASSERT_TRUE(CopyFileA(markerProgram().c_str(), program.c_str(), FALSE));
    WinLauncher launcher;
    for (const std::string& path :
         {folder.path() + "\\missing.exe", folder.path(), std::string(), program + "\0junk"s}) {
        EXPECT_THROW(launcher.Shell(path, Launcher::NormalFocus), std::runtime_error) << path;
    }
    Sleep(200);
    EXPECT_FALSE(fileExists(program + ".ran")) << "a refused path must not start the program before its NUL";
}

const auto* const guard = ::testing::AddGlobalTestEnvironment(new RegistryGuard);

}  // namespace
}  // namespace kalvor
