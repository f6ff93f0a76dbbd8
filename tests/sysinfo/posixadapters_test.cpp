// The stand-in registry and the POSIX file test and launch, on scratch
// folders with real files and scripts.
#include "platform/os/freshregistry.h"
#include "platform/os/posix/posixlauncher.h"
#include "platform/os/posix/standinregistry.h"
#include "platform/os/systemadapters.h"
#include "windows/sysinfo/sysinfolauncher.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace kalvor {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

constexpr Registry::Handle HKLM = 0x80000002;
const std::string InfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";

class Scratch {
public:
    Scratch() : root_(fs::temp_directory_path() / ("kalvor-sysinfo-" + std::to_string(::getpid())))
    {
        fs::remove_all(root_);
        fs::create_directories(root_);
    }
    ~Scratch() { fs::remove_all(root_); }
    const fs::path& root() const { return root_; }

    fs::path file(const std::string& relative, const std::string& content, bool executable) const
    {
        const fs::path path = root_ / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path) << content;
        fs::permissions(path, executable ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_write);
        return path;
    }
    fs::path folder(const std::string& relative) const
    {
        fs::create_directories(root_ / relative);
        return root_ / relative;
    }

private:
    fs::path root_;
};

std::string readWhenThere(const fs::path& path)
{
    for (int i = 0; i < 500 && !fs::exists(path); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A script that writes its session id into `marker` (renamed into place, so
// a reader never sees half a file).
std::string markerScript(const fs::path& marker)
{
    return "#!/bin/sh\nset -f\nset -- $(cat /proc/$$/stat)\necho \"$6\" > '" + marker.string() + ".tmp' && mv '"
        + marker.string() + ".tmp' '" + marker.string() + "'\n";
}

// ---- search path ----

struct SearchCase {
    const char* name;
    std::string searchPath;  // "@" stands for the scratch folder
    std::vector<std::string> programs;
    std::string expected;  // relative to the scratch folder, or empty
};

class FindProgramTest : public ::testing::TestWithParam<SearchCase> {};

TEST_P(FindProgramTest, FindsFirstExecutable)
{
    const SearchCase& c = GetParam();
    Scratch s;
    s.file("bin1/info", "#!/bin/sh\n", true);
    s.file("bin1/plain", "data", false);
    s.folder("bin1/folder");
    s.file("bin2/info", "#!/bin/sh\n", true);
    s.file("bin2/other", "#!/bin/sh\n", true);
    s.file("bin2/plain", "#!/bin/sh\n", true);
    s.file("info", "#!/bin/sh\n", true);  // in the current folder during the test

    std::string searchPath = c.searchPath;
    for (std::size_t at; (at = searchPath.find('@')) != std::string::npos;) {
        searchPath.replace(at, 1, s.root().string());
    }
    const fs::path before = fs::current_path();
    fs::current_path(s.root());
    const std::string found = StandInRegistry::findProgram(searchPath, c.programs);
    fs::current_path(before);
    EXPECT_EQ(found, c.expected.empty() ? "" : (s.root() / c.expected).string());
}

INSTANTIATE_TEST_SUITE_P(
    Search, FindProgramTest,
    ::testing::Values(SearchCase{"FirstFolderWins", "@/bin1:@/bin2", {"info"}, "bin1/info"},
                      SearchCase{"ProgramOrderBeforeFolderOrder", "@/bin1:@/bin2", {"other", "info"}, "bin2/other"},
                      SearchCase{"MissingProgramSkipped", "@/bin1:@/bin2", {"nothing", "other"}, "bin2/other"},
                      SearchCase{"NotExecutableSkipped", "@/bin1:@/bin2", {"plain"}, "bin2/plain"},
                      SearchCase{"FolderIsNoProgram", "@/bin1", {"folder"}, ""},
                      SearchCase{"TrailingSlash", "@/bin2/", {"other"}, "bin2/other"},
                      SearchCase{"EmptyEntryIsNotCurrentFolder", ":@/bin2", {"info"}, "bin2/info"},
                      SearchCase{"RelativeEntrySkipped", ".:bin1", {"info"}, ""},
                      SearchCase{"NameWithSlashRefused", "@", {"bin1/info"}, ""},
                      SearchCase{"EmptySearchPath", "", {"info"}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- stand-in registry ----

TEST(StandInRegistry, HoldsOnlyTheProgramPath)
{
    Scratch s;
    const fs::path program = s.file("bin/info", "#!/bin/sh\n", true);
    StandInRegistry registry(s.root().string() + "/bin", {"info"});
    ASSERT_EQ(registry.programPath(), program.string());

    struct OpenCase {
        Registry::Handle root;
        std::string key;
        bool opens;
    };
    for (const OpenCase& c :
         {OpenCase{HKLM, InfoKey, true}, OpenCase{HKLM, "software\\MICROSOFT\\shared tools\\msinfo", true},
          OpenCase{HKLM, "SOFTWARE\\Microsoft\\Shared Tools Location", false}, OpenCase{HKLM, InfoKey + "\\Sub", false},
          OpenCase{0x80000001, InfoKey, false}}) {
        Registry::Handle key = 0;
        const std::int32_t rc = registry.RegOpenKeyExA(c.root, c.key, 0, 0x2003F, key);
        EXPECT_EQ(rc == 0, c.opens) << c.key;
        if (rc == 0) {
            EXPECT_NE(key, 0u);
            EXPECT_EQ(registry.RegCloseKey(key), 0);
        }
    }

    Registry::Handle key = 0;
    ASSERT_EQ(registry.RegOpenKeyExA(HKLM, InfoKey, 0, 0x2003F, key), 0);
    std::uint8_t buffer[1024] = {};
    std::uint32_t type = 0;
    std::uint32_t count = sizeof buffer;
    ASSERT_EQ(registry.RegQueryValueExA(key, "PATH", 0, type, buffer, count), 0);
    EXPECT_EQ(type, 1u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), count), program.string() + '\0');

    count = 4;
    EXPECT_EQ(registry.RegQueryValueExA(key, "PATH", 0, type, buffer, count), 234);
    EXPECT_EQ(count, program.string().size() + 1);
    count = sizeof buffer;
    EXPECT_EQ(registry.RegQueryValueExA(key, "MSINFO", 0, type, buffer, count), 2);
    EXPECT_NE(registry.RegCloseKey(0), 0);
    EXPECT_EQ(registry.RegCloseKey(key), 0);
}

TEST(StandInRegistry, NoProgramNoKey)
{
    Scratch s;
    StandInRegistry registry(s.root().string(), {"info"});
    EXPECT_EQ(registry.programPath(), "");
    Registry::Handle key = 0;
    EXPECT_EQ(registry.RegOpenKeyExA(HKLM, InfoKey, 0, 0x2003F, key), 2);
}

// ---- file test ----

TEST(PosixLauncher, DirFindsNormalFilesOnly)
{
    Scratch s;
    const fs::path file = s.file("data/MSINFO32.EXE", "x", false);
    s.file("data/.hidden", "x", false);
    fs::create_symlink(file, s.root() / "data/link");
    s.folder("data/sub");

    struct DirCase {
        std::string path;
        std::string expected;
    };
    const std::string d = (s.root() / "data").string();
    for (const DirCase& c :
         {DirCase{d + "/MSINFO32.EXE", "MSINFO32.EXE"}, DirCase{d + "/link", "link"}, DirCase{d + "/missing", ""},
          DirCase{d + "/sub", ""}, DirCase{d + "/.hidden", ""}, DirCase{d, ""}, DirCase{"", ""},
          DirCase{d + "/MSINFO32.EXE\0tail"s, ""}, DirCase{d + "\\MSINFO32.EXE", ""}}) {
        PosixLauncher launcher;
        EXPECT_EQ(launcher.Dir(c.path), c.expected) << c.path;
    }
}

// ---- launch ----

TEST(PosixLauncher, ShellStartsDetachedAndReapsItsHelper)
{
    Scratch s;
    const fs::path marker = s.root() / "marker";
    const fs::path script = s.file("bin/info", markerScript(marker), true);
    PosixLauncher launcher;
    launcher.Shell(script.string(), Launcher::NormalFocus);

    // The helper process is already reaped: no child of ours is left.
    errno = 0;
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);

    const std::string session = readWhenThere(marker);
    ASSERT_FALSE(session.empty()) << "the program did not run";
    EXPECT_NE(std::stol(session), static_cast<long>(::getsid(0))) << "the program must run in a session of its own";
}

TEST(PosixLauncher, ShellFailureThrows)
{
    Scratch s;
    const std::string plain = s.file("plain", "#!/bin/sh\n", false).string();
    const std::string noInterpreter = s.file("broken", "#!/nonexistent/shell\n", true).string();
    const std::string folder = s.folder("folder").string();
    const std::string good = s.file("good", "#!/bin/sh\n", true).string();

    for (const std::string& path :
         {s.root().string() + "/missing", plain, noInterpreter, folder, std::string(), good + "\0junk"s}) {
        PosixLauncher launcher;
        EXPECT_THROW(launcher.Shell(path, Launcher::NormalFocus), std::runtime_error) << path;
    }
    errno = 0;
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1) << "a failed launch left a child behind";
}

// ---- the two together, as the about window uses them ----

TEST(PosixAdapters, StartSysInfoRunsTheProgramFound)
{
    Scratch s;
    const fs::path marker = s.root() / "started";
    s.file("bin/sysinfo-tool", markerScript(marker), true);
    StandInRegistry registry(s.root().string() + "/bin", {"missing-tool", "sysinfo-tool"});
    PosixLauncher launcher;
    std::vector<std::string> messages;
    SysInfoLauncher sysInfo(registry, launcher, [&](const std::string& text) { messages.push_back(text); });
    sysInfo.StartSysInfo();
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(readWhenThere(marker).empty());
}

TEST(PosixAdapters, StartSysInfoWithoutProgramSaysUnavailable)
{
    Scratch s;
    StandInRegistry registry(s.root().string(), {"sysinfo-tool"});
    PosixLauncher launcher;
    std::vector<std::string> messages;
    SysInfoLauncher sysInfo(registry, launcher, [&](const std::string& text) { messages.push_back(text); });
    sysInfo.StartSysInfo();
    EXPECT_EQ(messages, std::vector<std::string>{"System Information Is Unavailable At This Time"});
}

TEST(PosixAdapters, SystemAdaptersSearchThePathOfTheEnvironment)
{
    Scratch s;
    const fs::path marker = s.root() / "from-path";
    s.file("bin/" + StandInRegistry::defaultPrograms().back(), markerScript(marker), true);
    const char* saved = std::getenv("PATH");
    const std::string before = saved != nullptr ? saved : "";
    ::setenv("PATH", (s.root() / "bin").c_str(), 1);
    const auto registry = makeSystemRegistry();
    ::setenv("PATH", before.c_str(), 1);
    const auto launcher = makeSystemLauncher();

    std::vector<std::string> messages;
    SysInfoLauncher sysInfo(*registry, *launcher, [&](const std::string& text) { messages.push_back(text); });
    sysInfo.StartSysInfo();
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(readWhenThere(marker).empty());
}

// The registry as the program holds it: nothing is searched before System
// Information is asked for, and a program installed while it runs is found.
TEST(PosixAdapters, FreshRegistrySearchesWhenAsked)
{
    Scratch s;
    s.folder("bin");
    const char* saved = std::getenv("PATH");
    const std::string before = saved != nullptr ? saved : "";
    ::setenv("PATH", (s.root() / "bin").c_str(), 1);

    int searches = 0;
    FreshRegistry registry([&] {
        ++searches;
        return makeSystemRegistry();
    });
    const auto launcher = makeSystemLauncher();
    std::vector<std::string> messages;
    SysInfoLauncher sysInfo(registry, *launcher, [&](const std::string& text) { messages.push_back(text); });
    EXPECT_EQ(searches, 0) << "searched before System Information was asked for";

    sysInfo.StartSysInfo();
    EXPECT_EQ(messages, std::vector<std::string>{"System Information Is Unavailable At This Time"});
    const int searchesForOnePress = searches;
    EXPECT_GE(searchesForOnePress, 1);

    // Installed while the program runs: the next press finds it. The script
    // runs with the scratch PATH, so it names its one tool in full.
    const fs::path marker = s.root() / "installed-later";
    s.file("bin/" + StandInRegistry::defaultPrograms().back(),
           "#!/bin/sh\necho started > '" + marker.string() + ".tmp' && /bin/mv '" + marker.string() + ".tmp' '"
               + marker.string() + "'\n",
           true);
    messages.clear();
    sysInfo.StartSysInfo();
    ::setenv("PATH", before.c_str(), 1);
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(readWhenThere(marker).empty());
    EXPECT_GT(searches, searchesForOnePress);
}

// A key opened before another is closed keeps its registry.
TEST(FreshRegistry, OpenKeysKeepTheirRegistry)
{
    const std::string folderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
    int made = 0;
    FreshRegistry registry([&] {
        ++made;
        return std::make_unique<StandInRegistry>("", std::vector<std::string>{});
    });
    std::uint32_t type = 0;
    std::uint32_t count = 0;
    EXPECT_EQ(registry.RegQueryValueExA(1, "PATH", 0, type, nullptr, count), 6);
    EXPECT_EQ(registry.RegCloseKey(1), 6);
    EXPECT_EQ(made, 0);

    Scratch s;
    const fs::path program = s.file("bin/info", "#!/bin/sh\n", true);
    FreshRegistry found([&] {
        ++made;
        return std::make_unique<StandInRegistry>(s.root().string() + "/bin", std::vector<std::string>{"info"});
    });
    Registry::Handle first = 0;
    Registry::Handle second = 0;
    ASSERT_EQ(found.RegOpenKeyExA(HKLM, InfoKey, 0, 0x2003F, first), 0);
    ASSERT_EQ(found.RegOpenKeyExA(HKLM, InfoKey, 0, 0x2003F, second), 0);
    EXPECT_EQ(made, 1) << "a second registry was made while a key was open";
    EXPECT_EQ(found.RegCloseKey(second), 0);
    std::uint8_t buffer[1024] = {};
    count = sizeof buffer;
    ASSERT_EQ(found.RegQueryValueExA(first, "PATH", 0, type, buffer, count), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), count), program.string() + '\0');
    EXPECT_EQ(found.RegCloseKey(first), 0);
    // Absent keys leave nothing open: every lookup after them is fresh.
    Registry::Handle none = 0;
    EXPECT_EQ(found.RegOpenKeyExA(HKLM, folderKey, 0, 0x2003F, none), 2);
    EXPECT_EQ(found.RegOpenKeyExA(HKLM, folderKey, 0, 0x2003F, none), 2);
    EXPECT_EQ(made, 3);
}

}  // namespace
}  // namespace kalvor
