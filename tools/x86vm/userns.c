/* userns <program> [arguments...]
 * Runs a program as root of a new user namespace that maps the machine's users and groups
 * 0..65535 onto themselves, so that dpkg inside the i386 root can give files their owners, and
 * that a binfmt_misc mounted there is the namespace's own, not the machine's. Must be started by
 * root: only root may map more than its own user. Built static for x86-64.
 */
#define _GNU_SOURCE
#include <fcntl.h>
#include <sched.h>
#include <stdio.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

static int put(pid_t pid, const char* file, const char* text) {
  char path[64];
  snprintf(path, sizeof path, "/proc/%d/%s", (int)pid, file);
  int fd = open(path, O_WRONLY);
  if (fd < 0) {
    perror(path);
    return -1;
  }
  ssize_t n = write(fd, text, strlen(text));
  close(fd);
  if (n != (ssize_t)strlen(text)) {
    perror(path);
    return -1;
  }
  return 0;
}

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: userns <program> [arguments...]\n");
    return 125;
  }
  int up[2], down[2];
  char c = 0;
  if (pipe(up) != 0 || pipe(down) != 0) return 125;
  pid_t pid = fork();
  if (pid < 0) return 125;
  if (pid == 0) {
    close(up[0]);
    close(down[1]);
    if (unshare(CLONE_NEWUSER) != 0) {
      perror("userns: unshare");
      _exit(125);
    }
    if (write(up[1], &c, 1) != 1 || read(down[0], &c, 1) != 1 || c != 1) _exit(125);
    if (setresgid(0, 0, 0) != 0 || setresuid(0, 0, 0) != 0) {
      perror("userns: setresuid");
      _exit(125);
    }
    execvp(argv[1], argv + 1);
    perror(argv[1]);
    _exit(127);
  }
  close(up[1]);
  close(down[0]);
  if (read(up[0], &c, 1) != 1) return 125;
  c = put(pid, "uid_map", "0 0 65536\n") == 0 && put(pid, "gid_map", "0 0 65536\n") == 0;
  if (write(down[1], &c, 1) != 1) return 125;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return 125;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
