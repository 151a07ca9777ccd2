/* corvane-binfmt <program> [arguments...]
 * The first program inside the i386 root while it is being made, on a machine whose kernel does
 * not run 32-bit programs: mounts the user namespace's own binfmt_misc, registers the user-mode
 * emulator /usr/bin/qemu-i386-static for i386 programs there, then runs the program. Nothing of
 * this reaches the machine outside the namespace. Built static for x86-64.
 */
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/mount.h>
#include <unistd.h>

int main(int argc, char** argv) {
  static const char kI386[] =
      ":corvane-i386:M::"
      "\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:"
      "\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:"
      "/usr/bin/qemu-i386-static:F";
  if (argc < 2) {
    fprintf(stderr, "usage: corvane-binfmt <program> [arguments...]\n");
    return 125;
  }
  if (mount("binfmt_misc", "/proc/sys/fs/binfmt_misc", "binfmt_misc", 0, NULL) != 0) {
    perror("corvane-binfmt: mount binfmt_misc (the kernel must be 6.7 or newer)");
    return 125;
  }
  int fd = open("/proc/sys/fs/binfmt_misc/register", O_WRONLY);
  if (fd < 0 || write(fd, kI386, strlen(kI386)) != (ssize_t)strlen(kI386)) {
    perror("corvane-binfmt: register the emulator");
    return 125;
  }
  close(fd);
  execvp(argv[1], argv + 1);
  perror(argv[1]);
  return 127;
}
