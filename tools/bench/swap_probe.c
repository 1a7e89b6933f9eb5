// An LD_PRELOAD shim that watches a program's buffer swaps from outside it.
//
// At the Nth outermost glXSwapBuffers of the process (or XShmPutImage, with
// which the native layer presents without GL) it writes one line to the file
// named by PLUMO_SWAP_PROBE_FILE and ends the process with _exit(0):
//
//   swap=N now_ns=T start_ns=S first_ns=A,B,C vmhwm_kb=H vmrss_kb=R pid=P comm=NAME
//
// T is CLOCK_MONOTONIC right after the swap returned, A,B,C the same for the
// first three swaps (the demo's Init, Load and first Render passes), S is whatever the
// launcher (exec_stamp) put in PLUMO_START_NS right before exec, H and R come
// from /proc/self/status. N is PLUMO_SWAP_PROBE_AT (default 1); 0 never ends
// the process and writes only "swap=N now_ns=T" at each swap instead, through
// a descriptor kept open, so that counting the presents of a running program
// costs it next to nothing.
//
// Neither SDL nor Wine's X11 driver calls glXSwapBuffers through its symbol:
// both dlsym libGL for glXGetProcAddressARB and ask that for glXSwapBuffers.
// So the shim answers dlsym and glXGetProcAddress(ARB) as well, and hands out
// its own swap wherever the real one was asked for. Under Wine only the
// program's own process swaps, so the line describes plumo.exe, not the
// loader or wineserver that inherit the same environment.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

typedef void (*SwapFn)(void* display, unsigned long drawable);
typedef void* (*DlsymFn)(void* handle, const char* name);
typedef void* (*GetProcFn)(const unsigned char* name);

static SwapFn realSwap;
static GetProcFn realGetProc;
static long swaps;
enum { kStamps = 3 };
static long long stamps[kStamps];
// A swap that calls another swap (a wrapper library) counts once.
static __thread int swapDepth;

static DlsymFn RealDlsym(void) {
  static DlsymFn real;
  if (!real) real = (DlsymFn)dlvsym(RTLD_NEXT, "dlsym", "GLIBC_2.34");
  if (!real) real = (DlsymFn)dlvsym(RTLD_NEXT, "dlsym", "GLIBC_2.2.5");
  return real;
}

static long StatusKb(const char* status, const char* key) {
  const char* line = strstr(status, key);
  return line ? strtol(line + strlen(key), NULL, 10) : -1;
}

static long long MonotonicNs(void) {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return (long long)now.tv_sec * 1000000000LL + now.tv_nsec;
}

static void Record(long swap, long long now) {
  const char* path = getenv("PLUMO_SWAP_PROBE_FILE");
  if (!path || !*path) return;

  char status[8192] = "";
  int fd = open("/proc/self/status", O_RDONLY);
  if (fd >= 0) {
    ssize_t got = read(fd, status, sizeof status - 1);
    status[got > 0 ? got : 0] = '\0';
    close(fd);
  }
  char comm[64] = "?";
  fd = open("/proc/self/comm", O_RDONLY);
  if (fd >= 0) {
    ssize_t got = read(fd, comm, sizeof comm - 1);
    comm[got > 0 ? got : 1] = '\0';
    comm[strcspn(comm, "\n")] = '\0';
    close(fd);
  }
  const char* start = getenv("PLUMO_START_NS");

  char first[3 * 24] = "";
  for (long i = 0; i < swap && i < kStamps; ++i) {
    const size_t used = strlen(first);
    snprintf(first + used, sizeof first - used, "%s%lld", i ? "," : "", stamps[i]);
  }

  char line[512];
  int length = snprintf(
      line, sizeof line,
      "swap=%ld now_ns=%lld start_ns=%s first_ns=%s vmhwm_kb=%ld vmrss_kb=%ld pid=%d comm=%s\n",
      swap, now, start && *start ? start : "0", first, StatusKb(status, "VmHWM:"),
      StatusKb(status, "VmRSS:"), (int)getpid(), comm);
  fd = open(path, O_WRONLY | O_CREAT | O_APPEND, 0644);
  if (fd < 0) return;
  if (write(fd, line, (size_t)length) != length) {
    // Nothing to do: the driver reports a missing line.
  }
  close(fd);
}

// One short line per present, for PLUMO_SWAP_PROBE_AT=0.
static void Count(long swap, long long now) {
  static int fd = -2;
  if (fd == -2) {
    const char* path = getenv("PLUMO_SWAP_PROBE_FILE");
    fd = path && *path ? open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644) : -1;
  }
  if (fd < 0) return;
  char line[64];
  const int length = snprintf(line, sizeof line, "swap=%ld now_ns=%lld\n", swap, now);
  if (write(fd, line, (size_t)length) != length) {
    // Nothing to do: the reader sees a count that stopped.
  }
}

// A present has just returned.
static void Presented(void) {
  const long long now = MonotonicNs();
  const long swap = ++swaps;
  if (swap <= kStamps) stamps[swap - 1] = now;
  const char* at = getenv("PLUMO_SWAP_PROBE_AT");
  const long target = at && *at ? strtol(at, NULL, 10) : 1;
  if (target == 0) {
    Count(swap, now);
  } else if (swap == target) {
    Record(swap, now);
    _exit(0);  // no teardown: repeated runs stay quick
  }
}

static void ProbeSwap(void* display, unsigned long drawable) {
  if (!realSwap) return;
  ++swapDepth;
  realSwap(display, drawable);
  --swapDepth;
  if (swapDepth == 0) Presented();
}

// The native layer's present without GL (software renderers on X11) puts
// each frame with one XShmPutImage instead of a swap: it counts as one. Mesa's
// software GLX puts the back buffer with XShmPutImage inside its swap, and
// that put is the swap's own, not a present of its own.
typedef int (*ShmPutFn)(void*, unsigned long, void*, void*, int, int, int, int, unsigned, unsigned,
                        int);

int XShmPutImage(void* display, unsigned long drawable, void* gc, void* image, int srcX, int srcY,
                 int dstX, int dstY, unsigned width, unsigned height, int sendEvent) {
  static ShmPutFn realPut;
  if (!realPut) realPut = (ShmPutFn)RealDlsym()(RTLD_NEXT, "XShmPutImage");
  if (!realPut) return 0;
  const int put =
      realPut(display, drawable, gc, image, srcX, srcY, dstX, dstY, width, height, sendEvent);
  if (swapDepth == 0) Presented();
  return put;
}

static void* Substitute(const char* name, void* found);
void glXSwapBuffers(void* display, unsigned long drawable);
void* glXGetProcAddressARB(const unsigned char* name);
void* glXGetProcAddress(const unsigned char* name);

static void* ProbeGetProcAddress(const unsigned char* name) {
  if (!realGetProc) return NULL;
  return Substitute((const char*)name, realGetProc(name));
}

static void* Substitute(const char* name, void* found) {
  if (!found || !name) return found;
  if (strcmp(name, "glXSwapBuffers") == 0) {
    // A global lookup may find the shim's own export.
    if (found != (void*)ProbeSwap && found != (void*)glXSwapBuffers) realSwap = (SwapFn)found;
    return (void*)ProbeSwap;
  }
  if (strcmp(name, "glXGetProcAddressARB") == 0 || strcmp(name, "glXGetProcAddress") == 0) {
    if (found != (void*)ProbeGetProcAddress && found != (void*)glXGetProcAddressARB &&
        found != (void*)glXGetProcAddress)
      realGetProc = (GetProcFn)found;
    return (void*)ProbeGetProcAddress;
  }
  return found;
}

void* dlsym(void* handle, const char* name) {
  DlsymFn real = RealDlsym();
  return real ? Substitute(name, real(handle, name)) : NULL;
}

// Programs that link libGL and call the symbols directly.
void glXSwapBuffers(void* display, unsigned long drawable) {
  if (!realSwap) realSwap = (SwapFn)RealDlsym()(RTLD_NEXT, "glXSwapBuffers");
  ProbeSwap(display, drawable);
}

void* glXGetProcAddressARB(const unsigned char* name) {
  if (!realGetProc) realGetProc = (GetProcFn)RealDlsym()(RTLD_NEXT, "glXGetProcAddressARB");
  return ProbeGetProcAddress(name);
}

void* glXGetProcAddress(const unsigned char* name) {
  return glXGetProcAddressARB(name);
}
