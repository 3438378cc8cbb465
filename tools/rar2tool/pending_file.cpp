#include "pending_file.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstring>
#include <initializer_list>

namespace {

// Written by the main flow only while `active` is 0, read by the handler
// only while it is 1.
struct PendingFile {
  volatile sig_atomic_t active;
  int folderFd;
  char name[PATH_MAX];
};

PendingFile pending;

void RemovePendingAndReraise(int signal) {
  if (pending.active) {
    unlinkat(pending.folderFd, pending.name, 0);
    pending.active = 0;
  }
  // The default action then ends the process by this signal, so the caller
  // sees an interrupted command (exit status 128 + signal in a shell).
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
  raise(signal);
}

}  // namespace

void CatchInterrupts() {
  struct sigaction action {};
  action.sa_handler = RemovePendingAndReraise;
  sigemptyset(&action.sa_mask);
  sigaddset(&action.sa_mask, SIGINT);
  sigaddset(&action.sa_mask, SIGTERM);
  sigaddset(&action.sa_mask, SIGHUP);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    // A signal the caller chose to ignore (nohup, a background job) stays so.
    struct sigaction old {};
    if (sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
    sigaction(signal, &action, nullptr);
  }
}

bool NotePendingFile(int folderFd, const char* name) {
  pending.active = 0;
  const size_t length = std::strlen(name);
  if (length >= sizeof pending.name) return false;
  std::memcpy(pending.name, name, length + 1);
  pending.folderFd = folderFd;
  pending.active = 1;
  return true;
}

void ClearPendingFile() {
  pending.active = 0;
}
