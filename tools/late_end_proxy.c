/* late-end-proxy SERVER_DISPLAY_NUMBER DELAY_MS: stands between X clients and a local X server,
 * for the end-to-end tests, and passes on everything at once except the server's end: a client
 * hears that the server closed its connection DELAY_MS later. A server that shuts down sends
 * its last events and closes every connection in one go, so a client never gets to act on
 * those events first; through this proxy it does, as it might on a busy machine.
 *
 * Listens as display :N for the first free N from 500 on (its lock file and socket, removed at
 * SIGTERM), prints N once it listens, and serves until SIGTERM. */
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

enum { kMostPairs = 32 };

struct Pair {
  int client;
  int server;
  long long end_at; /* when the client hears the server's end, in ms; 0 before that end */
};

static struct Pair pairs[kMostPairs];
static int pair_count = 0;
static char lock_path[64];
static char socket_path[108];
static volatile sig_atomic_t stopping = 0;

static void OnTerm(int signal_number) {
  (void)signal_number;
  stopping = 1;
}

static long long NowMs(void) {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return (long long)now.tv_sec * 1000 + now.tv_nsec / 1000000;
}

static int Listen(void) {
  for (int number = 500; number < 1000; ++number) {
    snprintf(lock_path, sizeof lock_path, "/tmp/.X%d-lock", number);
    const int lock = open(lock_path, O_WRONLY | O_CREAT | O_EXCL, 0444);
    if (lock < 0) continue;
    dprintf(lock, "%10d\n", (int)getpid());
    close(lock);
    struct sockaddr_un address = {.sun_family = AF_UNIX};
    snprintf(address.sun_path, sizeof address.sun_path, "/tmp/.X11-unix/X%d", number);
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    if (listener >= 0 && bind(listener, (struct sockaddr*)&address, sizeof address) == 0 &&
        listen(listener, 8) == 0) {
      strcpy(socket_path, address.sun_path);
      printf("%d\n", number);
      fflush(stdout);
      return listener;
    }
    if (listener >= 0) close(listener);
    unlink(lock_path);
  }
  fprintf(stderr, "late-end-proxy: no free display number\n");
  exit(1);
}

static int ConnectServer(int display_number) {
  struct sockaddr_un address = {.sun_family = AF_UNIX};
  snprintf(address.sun_path, sizeof address.sun_path, "/tmp/.X11-unix/X%d", display_number);
  const int server = socket(AF_UNIX, SOCK_STREAM, 0);
  if (server < 0 || connect(server, (struct sockaddr*)&address, sizeof address) != 0) {
    if (server >= 0) close(server);
    return -1;
  }
  return server;
}

static void ClosePair(int index) {
  close(pairs[index].client);
  if (pairs[index].server >= 0) close(pairs[index].server);
  pairs[index] = pairs[--pair_count];
}

/* Copies what `from` has to `to`; false at its end or a failure. */
static int Pass(int from, int to) {
  char buffer[65536];
  const ssize_t got = read(from, buffer, sizeof buffer);
  if (got <= 0) return 0;
  for (ssize_t sent = 0; sent < got;) {
    const ssize_t wrote = write(to, buffer + sent, (size_t)(got - sent));
    if (wrote < 0 && errno != EINTR) return 0;
    if (wrote > 0) sent += wrote;
  }
  return 1;
}

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: late-end-proxy SERVER_DISPLAY_NUMBER DELAY_MS\n");
    return 2;
  }
  const int server_number = atoi(argv[1]);
  const long long delay = atoll(argv[2]);
  signal(SIGPIPE, SIG_IGN);
  struct sigaction on_term = {.sa_handler = OnTerm};
  sigaction(SIGTERM, &on_term, NULL);
  const int listener = Listen();
  while (!stopping) {
    struct pollfd watched[1 + 2 * kMostPairs];
    int count = 0;
    watched[count++] = (struct pollfd){listener, POLLIN, 0};
    for (int i = 0; i < pair_count; ++i) {
      watched[count++] = (struct pollfd){pairs[i].client, POLLIN, 0};
      watched[count++] = (struct pollfd){pairs[i].server, pairs[i].end_at ? 0 : POLLIN, 0};
    }
    if (poll(watched, (nfds_t)count, 20) < 0 && errno != EINTR) break;
    const long long now = NowMs();
    for (int i = pair_count - 1; i >= 0; --i) {
      const struct pollfd* client = &watched[1 + 2 * i];
      const struct pollfd* server = &watched[2 + 2 * i];
      if (pairs[i].end_at != 0) {
        if (now >= pairs[i].end_at || (client->revents & (POLLIN | POLLHUP))) ClosePair(i);
      } else if ((client->revents & (POLLIN | POLLHUP | POLLERR)) &&
                 !Pass(pairs[i].client, pairs[i].server)) {
        ClosePair(i);
      } else if ((server->revents & (POLLIN | POLLHUP | POLLERR)) &&
                 !Pass(pairs[i].server, pairs[i].client)) {
        pairs[i].end_at = now + delay;
      }
    }
    if ((watched[0].revents & POLLIN) && pair_count < kMostPairs) {
      const int client = accept(listener, NULL, NULL);
      const int server = client >= 0 ? ConnectServer(server_number) : -1;
      if (server >= 0) {
        pairs[pair_count++] = (struct Pair){client, server, 0};
      } else if (client >= 0) {
        close(client);
      }
    }
  }
  unlink(socket_path);
  unlink(lock_path);
  return 0;
}
