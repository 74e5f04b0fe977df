#include "support/reply_server.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// A socket bound to 127.0.0.1 at a free port, listening when backlog >= 0 (fd -1 on failure).
int bind_loopback(int backlog, int* port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in a;
  memset(&a, 0, sizeof a);
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  if (bind(fd, (sockaddr*)&a, sizeof a) != 0 || (backlog >= 0 && listen(fd, backlog) != 0) ||
      getsockname(fd, (sockaddr*)&a, &len) != 0) {
    close(fd);
    return -1;
  }
  *port = ntohs(a.sin_port);
  return fd;
}

}  // namespace

ReplyServer::ReplyServer(Reply reply) : reply_(std::move(reply)) {
  listen_fd_ = bind_loopback(8, &port_);
  if (pipe2(stop_, O_CLOEXEC) != 0) stop_[0] = stop_[1] = -1;
  if (listen_fd_ >= 0 && stop_[0] >= 0) thread_ = std::thread([this] { serve(); });
}

ReplyServer::~ReplyServer() {
  if (stop_[1] >= 0 && write(stop_[1], "x", 1) < 0) perror("reply server");
  if (thread_.joinable()) thread_.join();
  for (int fd : {listen_fd_, stop_[0], stop_[1]})
    if (fd >= 0) close(fd);
}

std::vector<std::string> ReplyServer::requests() {
  std::lock_guard<std::mutex> g(mutex_);
  return requests_;
}

void ReplyServer::serve() {
  for (;;) {
    pollfd p[2] = {{listen_fd_, POLLIN, 0}, {stop_[0], POLLIN, 0}};
    if (poll(p, 2, -1) < 0) continue;
    if (p[1].revents) return;
    int fd = accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    connections_++;
    answer(fd);
    close(fd);
    closed_++;
  }
}

bool ReplyServer::wait_idle(int timeout_ms) const {
  for (int waited = 0; closed_ != connections_; waited++) {
    if (waited >= timeout_ms) return false;
    usleep(1000);
  }
  return true;
}

bool ReplyServer::pause(int fd, int ms) {
  for (;;) {
    pollfd p[2] = {{fd, POLLIN, 0}, {stop_[0], POLLIN, 0}};
    int r = poll(p, 2, ms);
    if (r == 0) return true;
    if (r < 0) return false;
    if (p[1].revents) return false;
    // Anything the client sends now is not waited for; its end is.
    char buf[4096];
    if (recv(fd, buf, sizeof buf, 0) <= 0) return false;
  }
}

void ReplyServer::answer(int fd) {
  // The request, up to its blank line (the client may also just leave).
  std::string req;
  while (req.find("\r\n\r\n") == std::string::npos && req.size() < 65536) {
    pollfd p[2] = {{fd, POLLIN, 0}, {stop_[0], POLLIN, 0}};
    if (poll(p, 2, 5000) <= 0 || p[1].revents) break;
    char buf[4096];
    ssize_t n = recv(fd, buf, sizeof buf, 0);
    if (n <= 0) break;
    req.append(buf, (size_t)n);
  }
  {
    std::lock_guard<std::mutex> g(mutex_);
    requests_.push_back(req);
  }
  for (const ReplyStep& s : reply_.steps) {
    if (s.pause_ms > 0 && !pause(fd, s.pause_ms)) return;
    size_t sent = 0;
    while (sent < s.bytes.size()) {
      ssize_t n = send(fd, s.bytes.data() + sent, s.bytes.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) return;
      sent += (size_t)n;
    }
  }
  if (reply_.hold_ms > 0) pause(fd, reply_.hold_ms);
}

PageServer::PageServer(const std::string& folder) {
  const char* src = getenv("SUNCALC_SOURCE_DIR");
  std::string script = std::string(src && *src ? src : ".") + "/tests/support/page_server.py";
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    dup2(out[1], 1);
    execl("/usr/bin/python3", "python3", script.c_str(), folder.c_str(), (char*)nullptr);
    _exit(127);
  }
  close(out[1]);
  // The script prints its port once it listens.
  FILE* f = fdopen(out[0], "r");
  if (!f || fscanf(f, "%d", &port_) != 1) port_ = 0;
  if (f) fclose(f);
}

PageServer::~PageServer() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
}

FullListener::FullListener() {
  fd_ = bind_loopback(0, &port_);
  if (fd_ < 0) return;
  sockaddr_in a;
  memset(&a, 0, sizeof a);
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons((uint16_t)port_);
  // Queue connections until one is left waiting for its answer.
  for (int i = 0; i < 16 && !full_; i++) {
    int c = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (c < 0) break;
    queued_.push_back(c);
    if (connect(c, (sockaddr*)&a, sizeof a) == 0) continue;
    pollfd p = {c, POLLOUT, 0};
    full_ = errno == EINPROGRESS && poll(&p, 1, 300) == 0;
  }
}

FullListener::~FullListener() {
  for (int c : queued_) close(c);
  if (fd_ >= 0) close(fd_);
}

ClosedPort::ClosedPort() { fd_ = bind_loopback(-1, &port_); }

ClosedPort::~ClosedPort() {
  if (fd_ >= 0) close(fd_);
}

int open_descriptors() {
  int n = 0;
  DIR* d = opendir("/proc/self/fd");
  if (!d) return -1;
  while (dirent* e = readdir(d))
    if (e->d_name[0] != '.') n++;
  closedir(d);
  return n - 1;  // the directory's own
}
