/*
 * Preloaded into Wine's 32-bit processes when they run under qemu's user-mode i386 emulation.
 *
 * Wine reserves its address space with MAP_FIXED_NOREPLACE and, when a reservation fails,
 * splits the range in halves down to 64 KiB pieces. qemu 7.2 keeps the whole guest space
 * mapped on the host, so every such call fails there, and Wine ends up issuing about 130,000
 * mmap calls that each walk qemu's page table: close to a minute of CPU per process started.
 *
 * Here the flag becomes a plain address hint, which qemu serves from its own view of the
 * guest space; a hint that is not honoured is undone and reported as EEXIST, exactly what
 * the kernel answers for an occupied range. Every other call goes through unchanged.
 *
 * Built without C headers (the machine has no 32-bit development files) and linked against
 * the 32-bit libc that Wine itself uses, and against libgcc_s: glibc loads it on demand when a
 * thread ends, and under the emulation that late load can fail for want of address space
 * (the process then aborts with "libgcc_s.so.1 must be installed"). Built for 64 bits it is an empty library, so that one
 * LD_PRELOAD/LD_LIBRARY_PATH pair serves the 64-bit programs (wineserver, sox) too.
 */
#if defined(__i386__)

typedef unsigned int size_t;
typedef long long off64_t;

#define MAP_FAILED ((void *)-1)
#define MAP_FIXED 0x10
#define MAP_FIXED_NOREPLACE 0x100000
#define EEXIST 17
#define RTLD_NEXT ((void *)-1)

extern void *dlsym(void *handle, const char *name);
extern int *__errno_location(void);
extern int munmap(void *addr, size_t length);

typedef void *(*mmap64_fn)(void *, size_t, int, int, int, off64_t);

static void *call_real_mmap64(void *addr, size_t len, int prot, int flags, int fd, off64_t off)
{
    static mmap64_fn real;
    if (!real) real = (mmap64_fn)dlsym(RTLD_NEXT, "mmap64");
    return real(addr, len, prot, flags, fd, off);
}

void *mmap64(void *addr, size_t len, int prot, int flags, int fd, off64_t off)
{
    if (!(flags & MAP_FIXED_NOREPLACE) || (flags & MAP_FIXED))
        return call_real_mmap64(addr, len, prot, flags, fd, off);
    void *p = call_real_mmap64(addr, len, prot, flags & ~MAP_FIXED_NOREPLACE, fd, off);
    if (p != MAP_FAILED && p != addr) {
        munmap(p, len);
        *__errno_location() = EEXIST;
        return MAP_FAILED;
    }
    return p;
}

#else

void sorahane_mmap_noreplace_unused(void) {}

#endif
