/* Runs a program and writes its peak resident memory (KiB) and then its processor time (user and
   system seconds, all threads) to a file. A process inherits the peak of whoever started it, so
   the measuring parent must be this small, not the bench. */
#include <fcntl.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: peak_rss RESULT_FILE PROGRAM [ARG...]\n");
    return 2;
  }
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    execvp(argv[2], argv + 2);
    _exit(127);
  }
  int status = 0;
  struct rusage usage;
  if (pid < 0 || wait4(pid, &status, 0, &usage) != pid)
    return 1;
  FILE* out = fopen(argv[1], "w");
  if (out == NULL)
    return 1;
  fprintf(out, "%ld\n%.6f\n", usage.ru_maxrss,
          (double)(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
              (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6);
  fclose(out);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
