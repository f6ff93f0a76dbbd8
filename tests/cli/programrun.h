#pragma once

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace kalvor {

// What one run of a program left behind.
struct ProgramRun {
    int status = -1;  // exit status; -1 when it did not exit normally
    std::string out;
    std::string err;
};

// A scratch folder for one test program, removed when it goes.
class ScratchFolder {
public:
    ScratchFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kalvor-cli-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            path_ = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Writes `bytes` to a file of that name in the folder; returns its path.
    std::string write(const std::string& name, const std::string& bytes) const
    {
        const std::filesystem::path file = path_ / name;
        std::ofstream(file, std::ios::binary) << bytes;
        return file.string();
    }
    std::filesystem::path path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline std::string readWhole(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs `program` with `args`, standard input from the file `input`
// ("/dev/null" for none), standard output to `outFile` (a scratch file unless
// given) and standard error to a scratch file; waits for it to end. With
// `addressSpaceMegabytes` the program may not map more than that.
inline ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args, const std::string& input,
                             const ScratchFolder& scratch, const std::string& outFile = {},
                             long addressSpaceMegabytes = 0)
{
    const std::string outPath = outFile.empty() ? (scratch.path() / "stdout").string() : outFile;
    const std::string errPath = (scratch.path() / "stderr").string();
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ProgramRun run;
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Only calls that are safe between fork and exec.
        const int in = ::open(input.c_str(), O_RDONLY);
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0)
            ::_exit(126);
        if (addressSpaceMegabytes > 0) {
            const rlim_t bytes = rlim_t(addressSpaceMegabytes) * 1024 * 1024;
            const struct rlimit limit {
                bytes, bytes
            };
            if (::setrlimit(RLIMIT_AS, &limit) != 0)
                ::_exit(126);
        }
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    if (pid < 0) {
        run.err = "could not start " + program;
        return run;
    }
    int wstatus = 0;
    if (::waitpid(pid, &wstatus, 0) == pid && WIFEXITED(wstatus))
        run.status = WEXITSTATUS(wstatus);
    if (outFile.empty())
        run.out = readWhole(outPath);
    run.err = readWhole(errPath);
    return run;
}

}  // namespace kalvor
