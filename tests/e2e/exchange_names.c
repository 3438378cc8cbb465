// Exchanges two names atomically, over and over, as another user racing the
// programs would (renameat2 with RENAME_EXCHANGE): at every moment each name
// is either itself or the other. Runs until SIGTERM or SIGINT, then stops
// after an even number of exchanges, so that both names are as they were,
// and prints how many it made. While one of the names is missing it waits.
//   exchange_names A B [PAUSE_MICROSECONDS]
// With --new, watches DIR instead and exchanges the first name to appear in
// it that starts with PREFIX and ends with SUFFIX with B, once, as soon as
// the file has bytes: a file a program makes under a fresh name of its own,
// taken away once the program has checked and written it. DELAY (in
// microseconds) passes between seeing the bytes and the exchange, so that
// runs with different delays meet the program at different steps.
//   exchange_names --new DIR PREFIX SUFFIX B [DELAY_MICROSECONDS]
#define _GNU_SOURCE
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#ifndef RENAME_EXCHANGE
#define RENAME_EXCHANGE (1 << 1)
#endif

static volatile sig_atomic_t stopping = 0;

static void Stop(int signal) {
  (void)signal;
  stopping = 1;
}

static int Matches(const char* name, const char* prefix, const char* suffix) {
  const size_t n = strlen(name), p = strlen(prefix), s = strlen(suffix);
  return n >= p + s && strncmp(name, prefix, p) == 0 && strcmp(name + n - s, suffix) == 0;
}

static int ExchangeFirstNew(const char* dir, const char* prefix, const char* suffix,
                            const char* other, long delay) {
  unsigned long count = 0;
  while (!stopping && count == 0) {
    DIR* d = opendir(dir);
    if (d == NULL) {
      perror("exchange_names: opendir");
      return 1;
    }
    for (struct dirent* e; count == 0 && (e = readdir(d)) != NULL;) {
      if (!Matches(e->d_name, prefix, suffix)) continue;
      char path[4096];
      snprintf(path, sizeof path, "%s/%s", dir, e->d_name);
      struct stat facts;
      if (lstat(path, &facts) != 0 || !S_ISREG(facts.st_mode) || facts.st_size == 0) continue;
      if (delay > 0) usleep((useconds_t)delay);
      // Gone again before the exchange: the next one is waited for.
      if (syscall(SYS_renameat2, AT_FDCWD, path, AT_FDCWD, other, RENAME_EXCHANGE) == 0) count++;
    }
    closedir(d);
  }
  while (!stopping) usleep(1000);
  printf("%lu exchanges\n", count);
  return 0;
}

int main(int argc, char** argv) {
  signal(SIGTERM, Stop);
  signal(SIGINT, Stop);
  if ((argc == 6 || argc == 7) && strcmp(argv[1], "--new") == 0)
    return ExchangeFirstNew(argv[2], argv[3], argv[4], argv[5], argc == 7 ? atol(argv[6]) : 0);
  if (argc < 3) {
    fprintf(stderr,
            "usage: exchange_names A B [PAUSE_MICROSECONDS]\n"
            "       exchange_names --new DIR PREFIX SUFFIX B [DELAY_MICROSECONDS]\n");
    return 2;
  }
  const long pause = argc > 3 ? atol(argv[3]) : 0;
  unsigned long count = 0;
  for (;;) {
    if (syscall(SYS_renameat2, AT_FDCWD, argv[1], AT_FDCWD, argv[2], RENAME_EXCHANGE) != 0) {
      // A name the program removed: nothing to exchange until it is back.
      if (errno != ENOENT) {
        perror("exchange_names: renameat2");
        return 1;
      }
      if (stopping) break;
      usleep(1000);
      continue;
    }
    count++;
    if (stopping && count % 2 == 0) break;
    // Each state holds for the pause: the link as long as the name itself,
    // so that a program's check and its act (milliseconds apart under Wine)
    // see different things, while the exchanges stay few enough that Wine's
    // own instant between its last look at a path and its deletion of it is
    // seldom met.
    if (pause > 0) usleep((useconds_t)pause);
  }
  printf("%lu exchanges\n", count);
  return 0;
}
