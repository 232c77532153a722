// POSIX implementation of Platform.h.
#ifndef _WIN32

#include "packager/platform/Platform.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <locale.h>
#include <wctype.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "packager/core/PackError.h"
#include "packager/platform/SignalCleanup.h"

namespace sfxpack {

const char kOsslsigncodeHint[] = "install it (Debian, Ubuntu: apt install osslsigncode) and put it on PATH";

namespace {

class CFd {
public:
    explicit CFd(int fd = -1) : m_fd(fd) {}
    ~CFd() { Reset(); }
    CFd(const CFd&) = delete;
    CFd& operator=(const CFd&) = delete;
    int Get() const { return m_fd; }
    void Reset(int fd = -1) {
        if (m_fd >= 0) close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd;
};

bool MakePipe(CFd* readEnd, CFd* writeEnd) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    readEnd->Reset(fds[0]);
    writeEnd->Reset(fds[1]);
    return true;
}

}  // namespace

std::filesystem::path GetExecutableDir() {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : self.parent_path();
}

void GetRandomBytes(uint8_t* out, size_t size) {
    CFd fd(open("/dev/urandom", O_RDONLY | O_CLOEXEC));
    size_t done = 0;
    while (fd.Get() >= 0 && done < size) {
        const ssize_t n = read(fd.Get(), out + done, size - done);
        if (n <= 0 && errno != EINTR) break;
        if (n > 0) done += static_cast<size_t>(n);
    }
    if (done != size) {
        throw CPackError(std::string("cannot read /dev/urandom: ") + std::strerror(errno), kExitFailure,
                         DiagCode::Internal);
    }
}

std::optional<std::string> GetEnvironmentText(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
}

bool IsErrorTerminal() { return isatty(2) != 0; }

char32_t SimpleUpperCase(char32_t c) {
    // The C.UTF-8 locale's mapping.
    static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    if (utf8 != static_cast<locale_t>(0)) return static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), utf8));
    return c >= U'a' && c <= U'z' ? c - 32 : c;
}

std::filesystem::path LongPathForm(const std::filesystem::path& path) { return path; }

namespace {

EntryFacts FactsOf(const struct stat& info) {
    EntryFacts facts;
    const mode_t mode = info.st_mode;
    facts.kind = S_ISREG(mode)    ? EntryKind::File
                 : S_ISDIR(mode)  ? EntryKind::Folder
                 : S_ISLNK(mode)  ? EntryKind::Link
                 : S_ISFIFO(mode) ? EntryKind::Fifo
                 : S_ISSOCK(mode) ? EntryKind::Socket
                 : S_ISCHR(mode)  ? EntryKind::CharDevice
                 : S_ISBLK(mode)  ? EntryKind::BlockDevice
                                  : EntryKind::Other;
    facts.size = static_cast<uint64_t>(info.st_size);
    facts.mtimeSeconds = info.st_mtim.tv_sec;
    facts.mtimeNanoseconds = static_cast<uint32_t>(info.st_mtim.tv_nsec);
    facts.readOnly = (mode & S_IWUSR) == 0;
    return facts;
}

}  // namespace

bool ReadFolderNames(const std::filesystem::path& dir, std::vector<std::string>* names, std::string* error) {
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        names->push_back(it->path().filename().native());
    }
    if (ec) *error = ec.message();
    return !ec;
}

void RemoveTree(const std::filesystem::path& path) {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
}

bool ReadEntry(const std::filesystem::path& path, EntryFacts* facts) {
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0) return false;
    *facts = FactsOf(info);
    return true;
}

bool FollowEntry(const std::filesystem::path& path, EntryFacts* facts, std::filesystem::path* finalPath) {
    std::error_code ec;
    const std::filesystem::path target = std::filesystem::canonical(path, ec);
    struct stat info;
    if (ec || ::stat(target.c_str(), &info) != 0) return false;
    *facts = FactsOf(info);
    *finalPath = target;
    return true;
}

ProcessResult RunProcess(const std::vector<std::string>& args, const std::filesystem::path& workDir,
                         unsigned timeoutSeconds) {
    ProcessResult result;
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    // `output` carries the child's output; `failure` carries the errno of a
    // failed chdir or exec, and closes unread when exec succeeds.
    CFd outRead, outWrite, failRead, failWrite;
    if (!MakePipe(&outRead, &outWrite) || !MakePipe(&failRead, &failWrite)) {
        result.startError = std::strerror(errno);
        return result;
    }
    const pid_t pid = fork();
    if (pid < 0) {
        result.startError = std::strerror(errno);
        return result;
    }
    if (pid == 0) {
        // A group of its own, so that a stop ends what it starts too.
        setpgid(0, 0);
        const int nullFd = open("/dev/null", O_RDONLY);
        if (nullFd >= 0) dup2(nullFd, 0);
        dup2(outWrite.Get(), 1);
        dup2(outWrite.Get(), 2);
        int error = 0;
        if (!workDir.empty() && chdir(workDir.c_str()) != 0) {
            error = errno;
        } else {
            execvp(argv[0], argv.data());
            error = errno;
        }
        (void)!write(failWrite.Get(), &error, sizeof error);
        _exit(127);
    }
    setpgid(pid, pid);  // also here: the handler may run before the child gets to it
    SetCleanupChild(pid);
    outWrite.Reset();
    failWrite.Reset();

    char buffer[4096];
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    for (;;) {
        if (timeoutSeconds != 0 && !result.timedOut) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            pollfd ready{outRead.Get(), POLLIN, 0};
            const int polled = left.count() > 0 ? poll(&ready, 1, static_cast<int>(left.count())) : 0;
            if (polled < 0 && errno == EINTR) continue;
            if (polled == 0) {
                // Its whole group: what it started goes too, and the pipe closes.
                kill(-pid, SIGKILL);
                result.timedOut = true;
            }
        }
        const ssize_t n = read(outRead.Get(), buffer, sizeof buffer);
        if (n > 0) {
            result.output.append(buffer, static_cast<size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    int childError = 0;
    const bool failed = read(failRead.Get(), &childError, sizeof childError) == sizeof childError;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    SetCleanupChild(0);
    if (failed) {
        result.startError = std::strerror(childError);
        return result;
    }
    result.started = true;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

ProcessResult RunShellCommand(const std::string& command) {
    return RunProcess({"/bin/sh", "-c", command}, std::filesystem::path());
}

bool SleepUnlessStopped(unsigned seconds) {
    for (unsigned tenths = 0; tenths < seconds * 10; ++tenths) {
        if (StopRequested()) return false;
        usleep(100000);
    }
    return !StopRequested();
}

}  // namespace sfxpack

#endif  // _WIN32
