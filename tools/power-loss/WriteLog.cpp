// Records every write, truncation, flush and removal that a program makes to one database
// file and its journal, with the bytes written, so that power-loss-simulation can replay the
// disk's possible states afterwards. Loaded with LD_PRELOAD into the program under test:
//
//   EDVARA_WRITELOG=LOG EDVARA_WRITELOG_TARGET=/real/path/Edvara.mdb LD_PRELOAD=libedvara-writelog.so ...
//
// Record: op (1 byte: 'W' write, 'T' truncate, 'S' flush, 'U' removal, 'C' creation),
// file (1 byte: 0 the target, 1 its journal), offset or size (8), length (8), the bytes
// of a write. Layer: test tool; never part of the product.
#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <stdarg.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

extern "C" {

static pthread_mutex_t g_mutex = PTHREAD_MUTEX_INITIALIZER;
static int g_log = -2;
static char g_target[4096];
static char g_journal[4200];
static signed char g_kind[65536]; /* per descriptor: -1 other, 0 target, 1 journal */
static int g_ready;

static ssize_t (*real_pwrite)(int, const void*, size_t, off_t);
static ssize_t (*real_write)(int, const void*, size_t);
static int (*real_open)(const char*, int, ...);
static int (*real_openat)(int, const char*, int, ...);
static int (*real_close)(int);
static int (*real_ftruncate)(int, off_t);
static int (*real_fsync)(int);
static int (*real_fdatasync)(int);
static int (*real_unlink)(const char*);

static void setup(void)
{
    if (g_ready)
        return;
    real_pwrite = reinterpret_cast<decltype(real_pwrite)>(dlsym(RTLD_NEXT, "pwrite64"));
    real_write = reinterpret_cast<decltype(real_write)>(dlsym(RTLD_NEXT, "write"));
    real_open = reinterpret_cast<decltype(real_open)>(dlsym(RTLD_NEXT, "open64"));
    real_openat = reinterpret_cast<decltype(real_openat)>(dlsym(RTLD_NEXT, "openat64"));
    real_close = reinterpret_cast<decltype(real_close)>(dlsym(RTLD_NEXT, "close"));
    real_ftruncate = reinterpret_cast<decltype(real_ftruncate)>(dlsym(RTLD_NEXT, "ftruncate64"));
    real_fsync = reinterpret_cast<decltype(real_fsync)>(dlsym(RTLD_NEXT, "fsync"));
    real_fdatasync = reinterpret_cast<decltype(real_fdatasync)>(dlsym(RTLD_NEXT, "fdatasync"));
    real_unlink = reinterpret_cast<decltype(real_unlink)>(dlsym(RTLD_NEXT, "unlink"));
    memset(g_kind, -1, sizeof g_kind);
    const char* t = getenv("EDVARA_WRITELOG_TARGET");
    if (t && strlen(t) < sizeof g_target - 1) {
        strcpy(g_target, t);
        strcpy(g_journal, t);
        strcat(g_journal, "-journal");
    }
    g_ready = 1;
}

static void emit(char op, int file, uint64_t at, const void* data, uint64_t length)
{
    if (g_log == -2) {
        const char* path = getenv("EDVARA_WRITELOG");
        g_log = path ? real_open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644) : -1;
    }
    if (g_log < 0)
        return;
    unsigned char head[18];
    head[0] = (unsigned char)op;
    head[1] = (unsigned char)file;
    memcpy(head + 2, &at, 8);
    memcpy(head + 10, &length, 8);
    real_write(g_log, head, sizeof head);
    if (data && length)
        real_write(g_log, data, length);
}

static int kindOfPath(const char* path)
{
    if (!g_target[0] || !path)
        return -1;
    if (strcmp(path, g_target) == 0)
        return 0;
    if (strcmp(path, g_journal) == 0)
        return 1;
    return -1;
}

static int kindOf(int fd) { return fd >= 0 && fd < 65536 ? g_kind[fd] : -1; }

static int opened(int fd, const char* path, int flags)
{
    if (fd >= 0 && fd < 65536) {
        const int k = kindOfPath(path);
        g_kind[fd] = (signed char)k;
        if (k >= 0 && (flags & O_CREAT)) {
            pthread_mutex_lock(&g_mutex);
            emit('C', k, 0, nullptr, 0);
            pthread_mutex_unlock(&g_mutex);
        }
    }
    return fd;
}

int open(const char* path, int flags, ...)
{
    setup();
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list ap;
        va_start(ap, flags);
        mode = va_arg(ap, mode_t);
        va_end(ap);
    }
    return opened(real_open(path, flags, mode), path, flags);
}
int open64(const char* path, int flags, ...) __attribute__((alias("open")));

int openat(int dir, const char* path, int flags, ...)
{
    setup();
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list ap;
        va_start(ap, flags);
        mode = va_arg(ap, mode_t);
        va_end(ap);
    }
    return opened(real_openat(dir, path, flags, mode), path, flags);
}
int openat64(int dir, const char* path, int flags, ...) __attribute__((alias("openat")));

int close(int fd)
{
    setup();
    if (fd >= 0 && fd < 65536)
        g_kind[fd] = -1;
    return real_close(fd);
}

ssize_t pwrite(int fd, const void* data, size_t length, off_t at)
{
    setup();
    const ssize_t n = real_pwrite(fd, data, length, at);
    const int k = kindOf(fd);
    if (k >= 0 && n > 0) {
        pthread_mutex_lock(&g_mutex);
        emit('W', k, (uint64_t)at, data, (uint64_t)n);
        pthread_mutex_unlock(&g_mutex);
    }
    return n;
}
ssize_t pwrite64(int fd, const void* data, size_t length, off_t at) __attribute__((alias("pwrite")));

int ftruncate(int fd, off_t size)
{
    setup();
    const int r = real_ftruncate(fd, size);
    const int k = kindOf(fd);
    if (k >= 0 && r == 0) {
        pthread_mutex_lock(&g_mutex);
        emit('T', k, (uint64_t)size, nullptr, 0);
        pthread_mutex_unlock(&g_mutex);
    }
    return r;
}
int ftruncate64(int fd, off_t size) __attribute__((alias("ftruncate")));

static int flushed(int fd, int r)
{
    const int k = kindOf(fd);
    if (k >= 0 && r == 0) {
        pthread_mutex_lock(&g_mutex);
        emit('S', k, 0, nullptr, 0);
        pthread_mutex_unlock(&g_mutex);
    }
    return r;
}

int fsync(int fd)
{
    setup();
    return flushed(fd, real_fsync(fd));
}

int fdatasync(int fd)
{
    setup();
    return flushed(fd, real_fdatasync(fd));
}

int unlink(const char* path)
{
    setup();
    const int r = real_unlink(path);
    const int k = kindOfPath(path);
    if (k >= 0 && r == 0) {
        pthread_mutex_lock(&g_mutex);
        emit('U', k, 0, nullptr, 0);
        pthread_mutex_unlock(&g_mutex);
    }
    return r;
}

}  // extern "C"
