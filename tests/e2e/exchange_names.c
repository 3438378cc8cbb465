// Exchanges two names atomically, over and over, as another user racing the
// programs would (renameat2 with RENAME_EXCHANGE): at every moment each name
// is either itself or the other. Runs until SIGTERM or SIGINT, then stops
// after an even number of exchanges, so that both names are as they were,
// and prints how many it made. While one of the names is missing it waits.
//   exchange_names A B [PAUSE_MICROSECONDS]
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
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

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: exchange_names A B [PAUSE_MICROSECONDS]\n");
    return 2;
  }
  const long pause = argc > 3 ? atol(argv[3]) : 0;
  signal(SIGTERM, Stop);
  signal(SIGINT, Stop);
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
