/* The first process of the x86 test machine (a 64-bit kernel under software emulation): loads
 * the virtio and 9p modules, mounts the i386 Debian root read-only and the checkout at its own
 * path, both shared by the emulator, gives the root fresh /dev, /proc, /sys and /tmp, and hands
 * over to the job agent inside the root. Built static for x86-64; needs nothing from the root.
 *
 * The checkout is cached as a local disk would be (Wine's mappings of programs need that): the
 * host reads what the machine writes only after a job has ended (the agent syncs first), and
 * what the host changed between jobs is seen because the agent drops the cached names and files
 * before each job. The spool, where host and machine exchange jobs while both run, is shared
 * uncached on top of it.
 *
 * Kernel command line: corvane.work=<checkout> corvane.spool=<spool folder in the checkout>
 * corvane.agent=<agent script in the checkout>
 */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mount.h>
#include <sys/reboot.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

static const char* const kModules[] = {
    "virtio_ring", "virtio", "virtio_pci_modern_dev", "virtio_pci_legacy_dev", "virtio_pci",
    "netfs", "fscache", "9pnet", "9pnet_virtio", "9p"};

static void die(const char* what) {
  fprintf(stderr, "corvane-init: %s: %s\n", what, strerror(errno));
  sync();
  reboot(RB_POWER_OFF);
  _exit(1);
}

/* The value of name=... on the kernel command line, or "" */
static const char* param(const char* cmdline, const char* name, char* out, size_t size) {
  size_t n = strlen(name);
  out[0] = 0;
  for (const char* p = cmdline; (p = strstr(p, name)) != NULL; p += n) {
    if ((p == cmdline || p[-1] == ' ') && p[n] == '=') {
      p += n + 1;
      size_t len = strcspn(p, " \n");
      if (len >= size) len = size - 1;
      memcpy(out, p, len);
      out[len] = 0;
      break;
    }
  }
  return out;
}

/* mkdir -p, quietly: what cannot be made shows when it is mounted on */
static void mkdirs(const char* path) {
  char buf[4096];
  snprintf(buf, sizeof buf, "%s", path);
  for (char* p = buf + 1; *p; ++p) {
    if (*p == '/') {
      *p = 0;
      mkdir(buf, 0755);
      *p = '/';
    }
  }
  mkdir(buf, 0755);
}

int main(void) {
  mkdir("/dev", 0755);
  mkdir("/proc", 0755);
  if (mount("devtmpfs", "/dev", "devtmpfs", 0, NULL) != 0) die("mount /dev");
  if (mount("proc", "/proc", "proc", 0, NULL) != 0) die("mount /proc");

  char cmdline[8192] = {0};
  int fd = open("/proc/cmdline", O_RDONLY);
  if (fd < 0 || read(fd, cmdline, sizeof cmdline - 1) < 0) die("read /proc/cmdline");
  close(fd);
  char work_buf[1024], agent_buf[1024], spool_buf[1024];
  const char* work = param(cmdline, "corvane.work", work_buf, sizeof work_buf);
  const char* agent = param(cmdline, "corvane.agent", agent_buf, sizeof agent_buf);
  const char* spool = param(cmdline, "corvane.spool", spool_buf, sizeof spool_buf);
  if (!*work || !*agent || !*spool) {
    errno = EINVAL;
    die("corvane.work, corvane.spool and corvane.agent are required");
  }

  for (size_t i = 0; i < sizeof kModules / sizeof kModules[0]; ++i) {
    char path[256];
    snprintf(path, sizeof path, "/modules/%s.ko", kModules[i]);
    int m = open(path, O_RDONLY | O_CLOEXEC);
    if (m < 0) die(path);
    if (syscall(SYS_finit_module, m, "", 0) != 0 && errno != EEXIST) die(path);
    close(m);
  }

  const char* opts = "trans=virtio,version=9p2000.L,msize=512000,cache=loose";
  mkdir("/newroot", 0755);
  if (mount("root", "/newroot", "9p", MS_RDONLY, opts) != 0) die("mount the root");
  if (mount("devtmpfs", "/newroot/dev", "devtmpfs", 0, NULL) != 0) die("mount the root's /dev");
  mkdir("/newroot/dev/shm", 01777);
  mkdir("/newroot/dev/pts", 0755);
  if (mount("tmpfs", "/newroot/dev/shm", "tmpfs", 0, "mode=1777") != 0) die("mount /dev/shm");
  if (mount("devpts", "/newroot/dev/pts", "devpts", 0, "ptmxmode=0666") != 0) die("mount /dev/pts");
  if (mount("proc", "/newroot/proc", "proc", 0, NULL) != 0) die("mount the root's /proc");
  if (mount("sysfs", "/newroot/sys", "sysfs", 0, NULL) != 0) die("mount /sys");
  if (mount("tmpfs", "/newroot/tmp", "tmpfs", 0, "mode=1777") != 0) die("mount /tmp");
  if (mount("tmpfs", "/newroot/run", "tmpfs", 0, "mode=0755") != 0) die("mount /run");
  if (mount("tmpfs", "/newroot/var/tmp", "tmpfs", 0, "mode=1777") != 0) die("mount /var/tmp");

  /* The checkout at its own path, after the folders above, which may hold it (a checkout in
   * /tmp): its mount point is made there, or the host made it in the read-only root. */
  char at[4096];
  snprintf(at, sizeof at, "/newroot%s", work);
  mkdirs(at);
  if (mount("work", at, "9p", 0, opts) != 0) die("mount the checkout");
  snprintf(at, sizeof at, "/newroot%s", spool);
  if (mount("spool", at, "9p", 0, "trans=virtio,version=9p2000.L,msize=512000,cache=none") != 0)
    die("mount the spool");

  if (chroot("/newroot") != 0 || chdir("/") != 0) die("enter the root");
  setenv("PATH", "/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin", 1);
  execl("/bin/bash", "bash", agent, (char*)NULL);
  die(agent);
  return 1;
}
