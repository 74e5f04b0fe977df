// The page fetch's reply handling on arbitrary bytes: each input is the whole reply of a server
// on 127.0.0.1 (a thread of this process), and the body is read to its end or failure. Nothing
// leaves the machine.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/http.h"

namespace {

std::mutex reply_mutex;
std::string reply;  // what the next connection gets
int port = 0;

int loopback(const char*, std::vector<std::string>* out) {
  out->push_back("127.0.0.1");
  return 0;
}

// Answers each connection with the reply of the moment, then waits for the client to leave.
void serve(int listener) {
  for (;;) {
    int fd = accept(listener, nullptr, nullptr);
    if (fd < 0) continue;
    std::string r;
    {
      std::lock_guard<std::mutex> g(reply_mutex);
      r = reply;
    }
    size_t sent = 0;
    while (sent < r.size()) {
      ssize_t n = send(fd, r.data() + sent, r.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) break;
      sent += (size_t)n;
    }
    shutdown(fd, SHUT_WR);
    char buf[4096];
    while (recv(fd, buf, sizeof buf, 0) > 0) {
    }
    close(fd);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  http_resolver = loopback;
  // Every reply ends at the server's close; the bounds only guard against a wait gone wrong.
  http_bounds.idle_ms = 5000;
  http_bounds.max_body = 1 << 20;
  int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a;
  memset(&a, 0, sizeof a);
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  if (listener < 0 || bind(listener, (sockaddr*)&a, sizeof a) != 0 || listen(listener, 16) != 0 ||
      getsockname(listener, (sockaddr*)&a, &len) != 0)
    return 0;
  port = ntohs(a.sin_port);
  std::thread(serve, listener).detach();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static HttpSession* session = http_open_session("HttpSendRequestEx");
  if (!session || !port || size > 65536) return 0;
  {
    std::lock_guard<std::mutex> g(reply_mutex);
    reply.assign((const char*)data, size);
  }
  HttpConnection* c = http_connect(session, "fuzz.test", port);
  HttpRequest* r = http_open_request(c, "/");
  if (http_send_request(r) == 0) {
    unsigned char buf[4096];
    int got = 0;
    while (http_read(r, buf, sizeof buf, &got) == 0 && got > 0) {
    }
  }
  http_close_request(r);
  http_close_connection(c);
  return 0;
}
