// Servers on 127.0.0.1 for the page fetch's tests: a thread that answers every connection with a
// scripted reply (and records the request), Python's http.server over a folder, and a listener
// whose queue is full, so that connecting to it hangs. Nothing leaves the machine.
#pragma once
#include <sys/types.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// One piece of a reply: a pause (cut short when the client leaves), then bytes.
struct ReplyStep {
  int pause_ms;
  std::string bytes;
};

struct Reply {
  std::vector<ReplyStep> steps;
  // After the steps, the connection stays open this long (or until the client leaves) before it
  // is closed: a stalled server.
  int hold_ms = 0;
};

class ReplyServer {
 public:
  explicit ReplyServer(Reply reply);
  ~ReplyServer();
  ReplyServer(const ReplyServer&) = delete;
  ReplyServer& operator=(const ReplyServer&) = delete;

  int port() const { return port_; }
  int connections() const { return connections_; }
  // Waits (up to timeout_ms) until every connection taken has been closed on this side: the
  // client has its reply before the server closes, so without this a descriptor count in this
  // process may or may not hold the server's socket.
  bool wait_idle(int timeout_ms = 5000) const;
  // What each connection sent before its reply (up to and with the blank line ending it).
  std::vector<std::string> requests();

 private:
  void serve();
  void answer(int fd);
  // Waits ms (or until the client closes, or the server stops); false when the client is gone.
  bool pause(int fd, int ms);

  Reply reply_;
  int listen_fd_ = -1, port_ = 0;
  int stop_[2] = {-1, -1};
  std::atomic<int> connections_{0}, closed_{0};
  std::mutex mutex_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

// Python's http.server (HTTP/1.0) serving `folder`: "/" is its index.html.
class PageServer {
 public:
  explicit PageServer(const std::string& folder);
  ~PageServer();
  PageServer(const PageServer&) = delete;
  PageServer& operator=(const PageServer&) = delete;
  int port() const { return port_; }

 private:
  pid_t pid_ = -1;
  int port_ = 0;
};

// A listener that never accepts, its queue filled by connections of its own: a further connection
// gets no answer to its opening packet and waits.
class FullListener {
 public:
  FullListener();
  ~FullListener();
  FullListener(const FullListener&) = delete;
  FullListener& operator=(const FullListener&) = delete;
  int port() const { return port_; }
  bool full() const { return full_; }

 private:
  int fd_ = -1, port_ = 0;
  bool full_ = false;
  std::vector<int> queued_;
};

// A port on 127.0.0.1 where nothing listens: held bound, never listening, while this lives, so a
// connect to it is refused and no other process (another test, another server) can take it.
class ClosedPort {
 public:
  ClosedPort();
  ~ClosedPort();
  ClosedPort(const ClosedPort&) = delete;
  ClosedPort& operator=(const ClosedPort&) = delete;
  int port() const { return port_; }

 private:
  int fd_ = -1, port_ = 0;
};

// Descriptors this process has open.
int open_descriptors();
