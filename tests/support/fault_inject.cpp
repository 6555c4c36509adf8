// Faults at exact moments, for tests of what a process leaves behind. Loaded
// into a process (LD_PRELOAD, or linked before the C library), it passes every
// call through, except as set by the environment:
//
//   QUILLON_FAULT=CALL:N:SIGNAL   raise SIGNAL (INT, TERM, HUP or KILL) at the
//                                 N-th CALL: "create" (after an open that creates
//                                 a file, named or not), "write", "fsync" and "syncfs" (after them),
//                                 "rename" (before it), "renamed" (after it)
//   QUILLON_FAULT=dlopen:NAME     fail the dlopen of the library NAME, as if it
//                                 were not installed
//   QUILLON_SWAP_FOR_FIFO=PATH    just before PATH is opened for reading, put a
//                                 named pipe in its place, as a racing program could
//
// Inert when neither is set.
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

template <typename Function>
Function Next(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

int SignalNamed(const char* name)
{
    if (!strcmp(name, "INT"))
        return SIGINT;
    if (!strcmp(name, "TERM"))
        return SIGTERM;
    if (!strcmp(name, "HUP"))
        return SIGHUP;
    if (!strcmp(name, "KILL"))
        return SIGKILL;
    return 0;
}

// Counts the calls of `call`; raises the signal when this one is the moment.
void Moment(const char* call)
{
    const char* fault = getenv("QUILLON_FAULT");
    if (!fault)
        return;
    const size_t length = strlen(call);
    if (strncmp(fault, call, length) != 0 || fault[length] != ':')
        return;
    static int counts[6];
    static const char* const calls[6] = {"create", "write", "fsync", "syncfs", "rename", "renamed"};
    for (int k = 0; k < 6; ++k) {
        if (strcmp(calls[k], call) != 0)
            continue;
        char* end = nullptr;
        const long wanted = strtol(fault + length + 1, &end, 10);
        if (++counts[k] == wanted && end && *end == ':')
            raise(SignalNamed(end + 1));
    }
}

void SwapForFifo(const char* path, int flags)
{
    const char* target = getenv("QUILLON_SWAP_FOR_FIFO");
    if (!target || strcmp(target, path) != 0 || (flags & (O_WRONLY | O_RDWR | O_CREAT)))
        return;
    unlink(path);
    mkfifo(path, 0600);
}

int OpenThrough(const char* name, const char* path, int flags, mode_t mode)
{
    SwapForFifo(path, flags);
    using Open = int (*)(const char*, int, ...);
    static const Open real = Next<Open>(name);
    const int fd = real(path, flags, mode);
    if (fd >= 0 && ((flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE))
        Moment("create");
    return fd;
}

}  // namespace

extern "C" {

// open and open64 alike: the mode is there only when a file may be created.
#define QUILLON_OPEN(name)                                           \
    int name(const char* path, int flags, ...)                       \
    {                                                                \
        mode_t mode = 0;                                             \
        if ((flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE) { \
            va_list arguments;                                       \
            va_start(arguments, flags);                              \
            mode = static_cast<mode_t>(va_arg(arguments, int));      \
            va_end(arguments);                                       \
        }                                                            \
        return OpenThrough(#name, path, flags, mode);                \
    }
QUILLON_OPEN(open)
QUILLON_OPEN(open64)
#undef QUILLON_OPEN

void* dlopen(const char* file, int flags)
{
    using DlOpen = void* (*)(const char*, int);
    static const DlOpen real = Next<DlOpen>("dlopen");
    const char* fault = getenv("QUILLON_FAULT");
    if (fault && file && strncmp(fault, "dlopen:", 7) == 0 && strcmp(fault + 7, file) == 0)
        return nullptr;
    return real(file, flags);
}

ssize_t write(int fd, const void* bytes, size_t size)
{
    using Write = ssize_t (*)(int, const void*, size_t);
    static const Write real = Next<Write>("write");
    const ssize_t wrote = real(fd, bytes, size);
    if (fd > 2)
        Moment("write");
    return wrote;
}

int fsync(int fd)
{
    using Fsync = int (*)(int);
    static const Fsync real = Next<Fsync>("fsync");
    const int result = real(fd);
    struct stat info {};
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode))  // a file's, not its folder's
        Moment("fsync");
    return result;
}

int syncfs(int fd)
{
    using Syncfs = int (*)(int);
    static const Syncfs real = Next<Syncfs>("syncfs");
    const int result = real(fd);
    Moment("syncfs");
    return result;
}

int rename(const char* from, const char* to)
{
    using Rename = int (*)(const char*, const char*);
    static const Rename real = Next<Rename>("rename");
    Moment("rename");
    const int result = real(from, to);
    Moment("renamed");
    return result;
}

}  // extern "C"
