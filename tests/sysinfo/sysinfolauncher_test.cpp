// The System Information lookups and launch against a fake registry and a
// recording launcher.
#include "windows/sysinfo/sysinfolauncher.h"

#include "tests/sysinfo/fakelauncher.h"
#include "tests/sysinfo/fakeregistry.h"

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kalvor {
namespace {

using namespace std::string_literals;

constexpr Registry::Handle HKLM = 0x80000002;
constexpr Registry::Handle HKCU = 0x80000001;
constexpr std::uint32_t RegSz = 1;
constexpr std::uint32_t RegExpandSz = 2;
constexpr std::uint32_t RegBinary = 3;
constexpr std::uint32_t RegDword = 4;
constexpr std::uint32_t KeyRead = 0x20019;  // what a user with read rights only holds

const std::string InfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const std::string LocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
const std::string Message = "System Information Is Unavailable At This Time";

struct Harness {
    FakeRegistry registry;
    FakeLauncher launcher;
    std::vector<std::string> messages;
    SysInfoLauncher sysInfo{registry, launcher, [this](const std::string& text) { messages.push_back(text); }};
};

std::string dword(std::uint32_t value)
{
    std::string bytes;
    for (int i = 0; i < 4; ++i) {
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    return bytes;
}

// ---- GetKeyValue: what a stored value becomes ----

struct ValueCase {
    const char* name;
    std::optional<FakeRegistry::Value> stored;  // nullopt: the value does not exist
    bool expectedResult;
    std::string expectedText;  // KeyVal after the call; it starts as "before"
};

class GetKeyValueTest : public ::testing::TestWithParam<ValueCase> {};

TEST_P(GetKeyValueTest, ReadsValueAsDefined)
{
    const ValueCase& c = GetParam();
    Harness h;
    h.registry.addKey(HKLM, "SOFTWARE\\Test");
    if (c.stored) {
        h.registry.set(HKLM, "SOFTWARE\\Test", "Item", *c.stored);
    }
    std::string text = "before";
    EXPECT_EQ(h.sysInfo.GetKeyValue(0x80000002, "SOFTWARE\\Test", "Item", text), c.expectedResult);
    EXPECT_EQ(text, c.expectedText);
    EXPECT_TRUE(h.registry.openHandles.empty()) << "key left open";
}

INSTANTIATE_TEST_SUITE_P(
    Values, GetKeyValueTest,
    ::testing::Values(
        ValueCase{"StringWithNul", FakeRegistry::Value{RegSz, "C:\\Info\\info.exe\0"s}, true, "C:\\Info\\info.exe"},
        ValueCase{"StringWithoutNul", FakeRegistry::Value{RegSz, "C:\\Info\\info.exe"}, true, "C:\\Info\\info.exe"},
        ValueCase{"EmbeddedNulKept", FakeRegistry::Value{RegSz, "ab\0cd\0"s}, true, "ab\0cd"s},
        ValueCase{"OnlyOneNulDropped", FakeRegistry::Value{RegSz, "ab\0\0"s}, true, "ab\0"s},
        ValueCase{"LoneNulIsEmptyText", FakeRegistry::Value{RegSz, "\0"s}, true, ""},
        ValueCase{"FullBufferWithNul", FakeRegistry::Value{RegSz, std::string(1023, 'x') + '\0'}, true,
                  std::string(1023, 'x')},
        ValueCase{"FullBufferWithoutNul", FakeRegistry::Value{RegSz, std::string(1024, 'y')}, true,
                  std::string(1024, 'y')},
        ValueCase{"OverBufferIsAbsent", FakeRegistry::Value{RegSz, std::string(1025, 'z')}, false, ""},
        ValueCase{"DwordSmall", FakeRegistry::Value{RegDword, dword(0x1F)}, true, "31"},
        ValueCase{"DwordZero", FakeRegistry::Value{RegDword, dword(0)}, true, "0"},
        // Every byte gives two digits: 01 02 03 04, not 1 2 3 4.
        ValueCase{"DwordBytesPadded", FakeRegistry::Value{RegDword, dword(0x01020304)}, true, "16909060"},
        ValueCase{"DwordTopByte", FakeRegistry::Value{RegDword, dword(0x0A000000)}, true, "167772160"},
        ValueCase{"DwordAllOnesUnsigned", FakeRegistry::Value{RegDword, dword(0xFFFFFFFF)}, true, "4294967295"},
        ValueCase{"ExpandStringLeavesText", FakeRegistry::Value{RegExpandSz, "%ProgramFiles%\0"s}, true, "before"},
        ValueCase{"BinaryLeavesText", FakeRegistry::Value{RegBinary, "\x01\x02"s}, true, "before"},
        ValueCase{"MissingValueIsAbsent", std::nullopt, false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- GetKeyValue: the calls it makes ----

TEST(GetKeyValueCalls, OpenQueryCloseWithDefinedArguments)
{
    Harness h;
    h.registry.set(HKLM, InfoKey, "PATH", {RegSz, "x"});
    std::string text;
    ASSERT_TRUE(h.sysInfo.GetKeyValue(0x80000002, InfoKey, "PATH", text));

    ASSERT_EQ(h.registry.opens.size(), 1u);
    EXPECT_EQ(h.registry.opens[0].root, HKLM);
    EXPECT_EQ(h.registry.opens[0].subKey, InfoKey);
    EXPECT_EQ(h.registry.opens[0].options, 0u);
    EXPECT_EQ(h.registry.opens[0].samDesired, 0x2003Fu);
    ASSERT_EQ(h.registry.queries.size(), 1u);
    EXPECT_EQ(h.registry.queries[0].valueName, "PATH");
    EXPECT_EQ(h.registry.queries[0].reserved, 0u);
    EXPECT_EQ(h.registry.queries[0].cbDataIn, 1024u);
    EXPECT_TRUE(h.registry.queries[0].bufferZeroed);
    ASSERT_EQ(h.registry.closes.size(), 1u);
    EXPECT_EQ(h.registry.closes[0], h.registry.queries[0].key);
    EXPECT_NE(h.registry.closes[0], 0u);
}

struct AbsentCase {
    const char* name;
    Registry::Handle root;  // where the value is stored
    std::uint32_t granted;  // the user's rights
    bool valuePresent;      // the key exists either way
    bool expectedQueried;
    bool expectedCloseWithZero;
};

class AbsentTest : public ::testing::TestWithParam<AbsentCase> {};

TEST_P(AbsentTest, EmptiesTextAndStillCloses)
{
    const AbsentCase& c = GetParam();
    Harness h;
    h.registry.addKey(c.root, InfoKey);
    if (c.valuePresent) {
        h.registry.set(c.root, InfoKey, "PATH", {RegSz, "C:\\a.exe"});
    }
    h.registry.grant(c.granted);
    std::string text = "old";
    EXPECT_FALSE(h.sysInfo.GetKeyValue(0x80000002, InfoKey, "PATH", text));
    EXPECT_EQ(text, "");
    EXPECT_EQ(h.registry.queries.size(), c.expectedQueried ? 1u : 0u);
    ASSERT_EQ(h.registry.closes.size(), 1u);
    EXPECT_EQ(h.registry.closes[0] == 0, c.expectedCloseWithZero);
    EXPECT_TRUE(h.registry.openHandles.empty());
}

INSTANTIATE_TEST_SUITE_P(Absent, AbsentTest,
                         ::testing::Values(AbsentCase{"KeyMissing", HKCU, 0xF003F, true, false, true},
                                           AbsentCase{"ReadRightsOnly", HKLM, KeyRead, true, false, true},
                                           AbsentCase{"ValueMissing", HKLM, 0xF003F, false, true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GetKeyValueCalls, ZeroLengthValueThrowsAfterClosingTheKey)
{
    for (std::uint32_t type : {RegSz, RegDword, RegBinary}) {
        Harness h;
        h.registry.set(HKLM, InfoKey, "PATH", {type, ""});
        std::string text = "kept";
        EXPECT_THROW(h.sysInfo.GetKeyValue(0x80000002, InfoKey, "PATH", text), std::runtime_error) << type;
        EXPECT_EQ(text, "kept") << type;
        EXPECT_EQ(h.registry.closes.size(), 1u) << type;
        EXPECT_TRUE(h.registry.openHandles.empty()) << type;
    }
}

// A registry that claims success with more bytes than the buffer holds.
class OverclaimingRegistry : public FakeRegistry {
public:
    std::int32_t RegQueryValueExA(Handle key, const std::string& valueName, std::uint32_t reserved, std::uint32_t& type,
                                  std::uint8_t* data, std::uint32_t& cbData) override
    {
        const std::int32_t rc = FakeRegistry::RegQueryValueExA(key, valueName, reserved, type, data, cbData);
        cbData = 4096;
        return rc;
    }
};

TEST(GetKeyValueCalls, CountBeyondTheBufferIsAbsentNotReadPastIt)
{
    OverclaimingRegistry registry;
    FakeLauncher launcher;
    registry.set(HKLM, InfoKey, "PATH", {RegSz, "C:\\a.exe"});
    SysInfoLauncher sysInfo(registry, launcher, [](const std::string&) {});
    std::string text = "old";
    EXPECT_FALSE(sysInfo.GetKeyValue(0x80000002, InfoKey, "PATH", text));
    EXPECT_EQ(text, "");
    EXPECT_TRUE(registry.openHandles.empty());
}

// ---- StartSysInfo ----

struct LaunchCase {
    const char* name;
    std::optional<FakeRegistry::Value> path;      // first lookup: MSINFO\PATH
    std::optional<FakeRegistry::Value> location;  // second lookup: Shared Tools Location\MSINFO
    std::vector<std::string> files;               // files that exist
    std::vector<std::string> unstartable;         // paths whose launch fails
    std::uint32_t granted;
    std::vector<std::string> expectedShells;
    bool expectedMessage;
    std::size_t expectedLookups;  // keys opened
};

class StartSysInfoTest : public ::testing::TestWithParam<LaunchCase> {};

TEST_P(StartSysInfoTest, LaunchesOrSaysUnavailable)
{
    const LaunchCase& c = GetParam();
    Harness h;
    h.registry.addKey(HKLM, InfoKey);
    h.registry.addKey(HKLM, LocationKey);
    if (c.path) {
        h.registry.set(HKLM, InfoKey, "PATH", *c.path);
    }
    if (c.location) {
        h.registry.set(HKLM, LocationKey, "MSINFO", *c.location);
    }
    h.registry.grant(c.granted);
    h.launcher.files.insert(c.files.begin(), c.files.end());
    h.launcher.unstartable.insert(c.unstartable.begin(), c.unstartable.end());

    h.sysInfo.StartSysInfo();

    std::vector<std::string> shells;
    for (const auto& [path, style] : h.launcher.shellCalls) {
        shells.push_back(path);
        EXPECT_EQ(style, Launcher::NormalFocus);
    }
    EXPECT_EQ(shells, c.expectedShells);
    if (c.expectedMessage) {
        EXPECT_EQ(h.messages, std::vector<std::string>{Message});
    } else {
        EXPECT_TRUE(h.messages.empty());
    }
    EXPECT_EQ(h.registry.opens.size(), c.expectedLookups);
    if (c.expectedLookups == 1) {
        EXPECT_TRUE(h.launcher.dirCalls.empty()) << "the first value is used without an existence test";
    }
    for (const auto& open : h.registry.opens) {
        EXPECT_EQ(open.root, HKLM);
        EXPECT_EQ(open.samDesired, 0x2003Fu);
    }
    EXPECT_EQ(h.registry.closes.size(), h.registry.opens.size()) << "every lookup closes its key";
    EXPECT_TRUE(h.registry.openHandles.empty());
}

const FakeRegistry::Value InfoPath{RegSz, "C:\\Tools\\MSInfo\\msinfo32.exe\0"s};
const FakeRegistry::Value Folder{RegSz, "C:\\Common\\MSInfo\0"s};
const std::string FolderProgram = "C:\\Common\\MSInfo\\MSINFO32.EXE";

INSTANTIATE_TEST_SUITE_P(
    Cases, StartSysInfoTest,
    ::testing::Values(
        // The first value is launched without an existence test.
        LaunchCase{"FirstPresentLaunchedWithoutFile",
                   InfoPath,
                   Folder,
                   {},
                   {},
                   0xF003F,
                   {"C:\\Tools\\MSInfo\\msinfo32.exe"},
                   false,
                   1},
        LaunchCase{"FirstPresentWithoutNul",
                   FakeRegistry::Value{RegSz, "C:\\Tools\\MSInfo\\msinfo32.exe"},
                   std::nullopt,
                   {},
                   {},
                   0xF003F,
                   {"C:\\Tools\\MSInfo\\msinfo32.exe"},
                   false,
                   1},
        LaunchCase{"FirstPresentLaunchFails",
                   InfoPath,
                   Folder,
                   {FolderProgram},
                   {"C:\\Tools\\MSInfo\\msinfo32.exe"},
                   0xF003F,
                   {"C:\\Tools\\MSInfo\\msinfo32.exe"},
                   true,
                   1},
        LaunchCase{"SecondWithProgram", std::nullopt, Folder, {FolderProgram}, {}, 0xF003F, {FolderProgram}, false, 2},
        LaunchCase{
            "SecondWithoutProgram", std::nullopt, Folder, {"C:\\Common\\MSInfo\\other.exe"}, {}, 0xF003F, {}, true, 2},
        LaunchCase{"SecondLaunchFails",
                   std::nullopt,
                   Folder,
                   {FolderProgram},
                   {FolderProgram},
                   0xF003F,
                   {FolderProgram},
                   true,
                   2},
        LaunchCase{"BothAbsent", std::nullopt, std::nullopt, {FolderProgram}, {}, 0xF003F, {}, true, 2},
        LaunchCase{"FirstTooLongFallsBackToSecond",
                   FakeRegistry::Value{RegSz, std::string(1500, 'p')},
                   Folder,
                   {FolderProgram},
                   {},
                   0xF003F,
                   {FolderProgram},
                   false,
                   2},
        // The error of a zero-length value skips the second lookup.
        LaunchCase{"FirstZeroLengthTrapped",
                   FakeRegistry::Value{RegSz, ""},
                   Folder,
                   {FolderProgram},
                   {},
                   0xF003F,
                   {},
                   true,
                   1},
        LaunchCase{"SecondZeroLengthTrapped",
                   std::nullopt,
                   FakeRegistry::Value{RegSz, ""},
                   {FolderProgram},
                   {},
                   0xF003F,
                   {},
                   true,
                   2},
        // 1024 bytes of FF as a number are beyond any double: an error too.
        LaunchCase{"FirstHugeDwordTrapped",
                   FakeRegistry::Value{RegDword, std::string(1024, '\xff')},
                   Folder,
                   {FolderProgram},
                   {},
                   0xF003F,
                   {},
                   true,
                   1},
        LaunchCase{"ReadRightsOnlyFindsNothing", InfoPath, Folder, {FolderProgram}, {}, KeyRead, {}, true, 2},
        // A first value of another type is read as true with the path still
        // empty; starting nothing fails as a real launch does.
        LaunchCase{"FirstOfOtherTypeLaunchesEmptyPath",
                   FakeRegistry::Value{RegExpandSz, "%x%\0"s},
                   Folder,
                   {FolderProgram},
                   {""},
                   0xF003F,
                   {""},
                   true,
                   1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StartSysInfoCalls, SecondLookupTestsTheProgramFileOnly)
{
    Harness h;
    h.registry.addKey(HKLM, InfoKey);  // the first key exists, without the value
    h.registry.set(HKLM, LocationKey, "MSINFO", Folder);
    h.launcher.files.insert(FolderProgram);
    h.sysInfo.StartSysInfo();
    EXPECT_EQ(h.launcher.dirCalls, std::vector<std::string>{FolderProgram});
    ASSERT_EQ(h.registry.queries.size(), 2u);
    EXPECT_EQ(h.registry.queries[0].valueName, "PATH");
    EXPECT_EQ(h.registry.queries[1].valueName, "MSINFO");
    EXPECT_EQ(h.registry.opens[1].subKey, LocationKey);
}

TEST(StartSysInfoCalls, MessageBoxFailureIsNotReportedTwice)
{
    FakeRegistry registry;
    FakeLauncher launcher;
    int shown = 0;
    SysInfoLauncher sysInfo(registry, launcher, [&shown](const std::string&) {
        ++shown;
        throw std::runtime_error("no message box");
    });
    EXPECT_THROW(sysInfo.StartSysInfo(), std::runtime_error);
    EXPECT_EQ(shown, 1);
}

}  // namespace
}  // namespace kalvor
