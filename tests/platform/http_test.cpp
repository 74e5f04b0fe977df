// The HTTP layer against servers on 127.0.0.1: the request it sends, the replies it takes, the
// bounds it keeps. Names are resolved by a table of loopback addresses, never by a real look-up.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/http.h"
#include "support/image_fixtures.h"
#include "support/reply_server.h"
#include "support/temp_dir.h"

namespace {

int loopback_resolver(const char* name, std::vector<std::string>* out) {
  if (strcmp(name, "127.0.0.1") == 0 || strcmp(name, "server.test") == 0 ||
      strcmp(name, "Server_2.test.") == 0) {
    out->push_back("127.0.0.1");
    return 0;
  }
  return 1;  // every other name does not resolve
}

struct Fetched {
  int send = -1, read = -1;
  std::string body;
};

class Http : public ::testing::Test {
 protected:
  void SetUp() override {
    http_resolver = loopback_resolver;
    bounds_ = http_bounds;
    if (!session) session = http_open_session("HttpSendRequestEx");
    ASSERT_TRUE(session);
  }
  void TearDown() override {
    http_bounds = bounds_;
    http_resolver = http_system_resolver;
    EXPECT_EQ(http_handles_open(), 1) << "handles left open";
  }

  // One whole request through every step, each handle closed at the end.
  static Fetched fetch(int port, const std::string& name = "127.0.0.1", const std::string& path = "/",
                       int chunk = 500000) {
    Fetched f;
    HttpConnection* c = http_connect(session, name.c_str(), port);
    HttpRequest* r = http_open_request(c, path.c_str());
    f.send = http_send_request(r);
    if (f.send == 0) {
      std::vector<unsigned char> buf((size_t)chunk);
      int got = 0;
      while ((f.read = http_read(r, buf.data(), chunk, &got)) == 0 && got > 0)
        f.body.append((const char*)buf.data(), (size_t)got);
    }
    http_close_request(r);
    http_close_connection(c);
    return f;
  }

  static HttpSession* session;
  HttpBounds bounds_;
};

HttpSession* Http::session = nullptr;

const char* const OK_HEAD = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n";

Reply reply(std::initializer_list<std::string> pieces, int pause_ms = 0, int hold_ms = 0) {
  Reply r;
  for (const std::string& p : pieces) r.steps.push_back({pause_ms, p});
  r.hold_ms = hold_ms;
  return r;
}

}  // namespace

TEST_F(Http, SendsAGetWithHostAndAgentOnly) {
  struct Case {
    const char* name;
    const char* path;
    const char* target;
  } cases[] = {
      {"127.0.0.1", "/", "/"},
      {"server.test", "/a/../b.html?q=1&r", "/a/../b.html?q=1&r"},
      {"Server_2.test.", "", "/"},
      {"127.0.0.1", "page.html", "/page.html"},
  };
  for (const Case& c : cases) {
    ReplyServer server(reply({std::string(OK_HEAD) + "\r\nhi"}));
    Fetched f = fetch(server.port(), c.name, c.path);
    EXPECT_EQ(f.send, 0) << c.path;
    EXPECT_EQ(f.body, "hi");
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0], std::string("GET ") + c.target + " HTTP/1.0\r\nHost: " + c.name + ":" +
                                        std::to_string(server.port()) +
                                        "\r\nUser-Agent: HttpSendRequestEx\r\n\r\n");
  }
}

TEST_F(Http, TakesTheBodyOfEveryReply) {
  std::string body = std::string("line\n\n\0\r\n", 9) + std::string(3000, 'x');
  std::string cl = "Content-Length: " + std::to_string(body.size()) + "\r\n";
  struct Case {
    const char* name;
    Reply reply;
    std::string body;
  } cases[] = {
      {"exact length", reply({std::string(OK_HEAD) + cl + "\r\n" + body}), body},
      {"length, then more than announced", reply({std::string(OK_HEAD) + cl + "\r\n" + body + "EXTRA"}), body},
      {"ended by the close", reply({std::string(OK_HEAD) + "\r\n" + body}), body},
      {"in pieces", reply({std::string(OK_HEAD) + cl + "\r\n", body.substr(0, 7), body.substr(7)}, 30), body},
      {"empty with length 0", reply({std::string(OK_HEAD) + "Content-Length: 0\r\n\r\n"}), ""},
      {"empty, closed", reply({"HTTP/1.0 200 OK\r\n\r\n"}), ""},
      {"not found", reply({"HTTP/1.0 404 Not Found\r\n\r\n<h1>no such page</h1>"}), "<h1>no such page</h1>"},
      {"moved, not followed", reply({"HTTP/1.0 301 Moved\r\nLocation: http://127.0.0.1:1/x\r\n\r\nmoved"}), "moved"},
      {"continue first", reply({"HTTP/1.1 100 Continue\r\n\r\nHTTP/1.0 200 OK\r\n\r\nafter"}), "after"},
      {"chunked", reply({"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nab\0d\r\n0\r\n\r\n"}),
       std::string("ab\0d", 4)},
      {"compressed, kept as sent", reply({std::string(OK_HEAD) + "Content-Encoding: gzip\r\n\r\nnot gzip"}),
       "not gzip"},
  };
  for (Case& c : cases) {
    // Built here, so that the NULs of the chunked body survive the string literals.
    if (strcmp(c.name, "chunked") == 0)
      c.reply = reply({std::string("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nab") +
                       std::string(1, '\0') + "d\r\n0\r\n\r\n"});
    ReplyServer server(c.reply);
    Fetched f = fetch(server.port());
    EXPECT_EQ(f.send, 0) << c.name;
    EXPECT_EQ(f.read, 0) << c.name;
    EXPECT_EQ(f.body, c.body) << c.name;
    EXPECT_EQ(server.connections(), 1) << c.name;
  }
}

TEST_F(Http, RefusesBrokenRepliesAndKeepsItsBounds) {
  http_bounds.idle_ms = 400;
  http_bounds.max_body = 10000;
  http_bounds.max_header = 4096;
  std::string many_lines, one_line = "X-Long: " + std::string(1 << 20, 'a') + "\r\n";
  while (many_lines.size() < (1 << 20)) many_lines += "X-Filler: " + std::string(90, 'b') + "\r\n";
  std::string big(10001, 'z');
  // The stalls hold the connection for 20 s: only the idle bound (0.4 s) can end them with a
  // time-out, the server's close would be an abort.
  const int stall = 20000;
  struct Case {
    const char* name;
    Reply reply;
    int send, read;
    size_t partial;  // body bytes handed out before the failure
  } cases[] = {
      {"closed before a byte", reply({}), HTTP_INVALID_REPLY, 0, 0},
      {"not HTTP", reply({"hello there\r\n\r\nbody"}), HTTP_INVALID_REPLY, 0, 0},
      {"status line only, cut", reply({"HTTP/1.0 20"}), HTTP_INVALID_REPLY, 0, 0},
      {"header of 1 MB in lines", reply({std::string(OK_HEAD) + many_lines + "\r\nbody"}), HTTP_INVALID_REPLY, 0, 0},
      {"header of 1 MB in one line", reply({std::string(OK_HEAD) + one_line + "\r\nbody"}), HTTP_INVALID_REPLY, 0, 0},
      {"closed mid-body", reply({std::string(OK_HEAD) + "Content-Length: 100\r\n\r\n" + std::string(40, 'a')}), 0,
       HTTP_CONNECTION_ABORTED, 40},
      {"stall before the reply", reply({}, 0, stall), HTTP_TIMEOUT, 0, 0},
      {"stall in the headers", reply({"HTTP/1.0 200 OK\r\n"}, 0, stall), HTTP_TIMEOUT, 0, 0},
      {"stall mid-body", reply({std::string(OK_HEAD) + "\r\n" + std::string(50, 'a')}, 0, stall), 0, HTTP_TIMEOUT,
       50},
      {"body over the cap, closed", reply({std::string(OK_HEAD) + "\r\n" + big}), 0, HTTP_TOO_LARGE, 10000},
      {"body over the cap, announced",
       reply({std::string(OK_HEAD) + "Content-Length: 10001\r\n\r\n" + big}), HTTP_TOO_LARGE, 0, 0},
  };
  for (const Case& c : cases) {
    ReplyServer server(c.reply);
    HttpConnection* conn = http_connect(session, "127.0.0.1", server.port());
    HttpRequest* r = http_open_request(conn, "/");
    EXPECT_EQ(http_send_request(r), c.send) << c.name;
    if (c.send == 0) {
      unsigned char buf[64];
      int got = 0, e;
      size_t total = 0;
      while ((e = http_read(r, buf, sizeof buf, &got)) == 0 && got > 0) total += (size_t)got;
      EXPECT_EQ(e, c.read) << c.name;
      EXPECT_LE(total, c.partial) << c.name;
      EXPECT_EQ(got, 0) << c.name;
      // The failure stays.
      EXPECT_EQ(http_read(r, buf, sizeof buf, &got), c.read) << c.name;
    }
    http_close_request(r);
    http_close_connection(conn);
  }
}

// The whole drip lasts longer than the idle bound, each pause a tenth of it: a loaded machine or a
// sanitizer may stretch a pause several times over and the reply is still not idle.
TEST_F(Http, ASlowDripIsNotAStall) {
  http_bounds.idle_ms = 1000;
  Reply drip;
  drip.steps.push_back({0, "HTTP/1.0 200 OK\r\n"});
  for (int i = 0; i < 12; i++) drip.steps.push_back({100, std::string(1, (char)('a' + i))});
  drip.steps.front().bytes += "\r\n";
  ReplyServer server(drip);
  Fetched f = fetch(server.port());
  EXPECT_EQ(f.send, 0);
  EXPECT_EQ(f.read, 0);
  EXPECT_EQ(f.body, "abcdefghijkl");
}

TEST_F(Http, AWholeRequestHasItsOwnBound) {
  http_bounds.idle_ms = 5000;
  http_bounds.total_ms = 700;
  Reply endless;
  endless.steps.push_back({0, std::string(OK_HEAD) + "\r\n"});
  for (int i = 0; i < 200; i++) endless.steps.push_back({100, "."});
  ReplyServer server(endless);
  Fetched f = fetch(server.port());
  EXPECT_EQ(f.send, 0);
  EXPECT_EQ(f.read, HTTP_TIMEOUT);
  EXPECT_LT(f.body.size(), 100u);
}

TEST_F(Http, RefusesNamesAndPathsThatWouldChangeTheRequest) {
  ReplyServer server(reply({std::string(OK_HEAD) + "\r\nhi"}));
  std::string longest(HTTP_MAX_NAME, 'a'), too_long(HTTP_MAX_NAME + 1, 'a');
  struct Case {
    std::string name, path;
  } cases[] = {
      {"", "/"},
      {too_long, "/"},
      {"server.test\r\nX-Injected: 1", "/"},
      {"server.test extra", "/"},
      {"server.test/evil", "/"},
      {"user@server.test", "/"},
      {"server.test:8080", "/"},
      {"server.test\x01", "/"},
      {"b\xc3\xbc" "cher.test", "/"},
      {"server.test", "/a b"},
      {"server.test", "/a\r\nX-Injected: 1"},
      {"server.test", "/a\tb"},
      {"server.test", "/a\x7f"},
  };
  for (const Case& c : cases) {
    HttpConnection* conn = http_connect(session, c.name.c_str(), server.port());
    HttpRequest* r = http_open_request(conn, c.path.c_str());
    EXPECT_EQ(http_send_request(r), HTTP_INVALID_NAME) << c.name << " " << c.path;
    http_close_request(r);
    http_close_connection(conn);
  }
  // A name of the longest length is a name like any other (it resolves to nothing here).
  EXPECT_EQ(fetch(server.port(), longest).send, HTTP_NAME_NOT_RESOLVED);
  EXPECT_EQ(server.connections(), 0);
}

TEST_F(Http, ReportsNamesThatDoNotResolveAndServersThatDoNotAnswer) {
  ReplyServer server(reply({std::string(OK_HEAD) + "\r\nhi"}));
  EXPECT_EQ(fetch(server.port(), "nowhere.test").send, HTTP_NAME_NOT_RESOLVED);
  EXPECT_EQ(server.connections(), 0);
  ClosedPort closed;
  ASSERT_NE(closed.port(), 0);
  EXPECT_EQ(fetch(closed.port()).send, HTTP_CANNOT_CONNECT);
  FullListener full;
  ASSERT_TRUE(full.full());
  http_bounds.connect_ms = 300;
  EXPECT_EQ(fetch(full.port()).send, HTTP_TIMEOUT);
}

TEST_F(Http, TheSystemResolverReadsNumericAddresses) {
  std::vector<std::string> out;
  EXPECT_EQ(http_system_resolver("127.0.0.1", &out), 0);
  EXPECT_EQ(out, std::vector<std::string>{"127.0.0.1"});
  out.clear();
  EXPECT_EQ(http_system_resolver("::1", &out), 0);
  EXPECT_EQ(out, std::vector<std::string>{"::1"});
}

TEST_F(Http, FetchesALargePageFromPythonsServerByteForByte) {
  TempDir dir("page");
  std::string page;
  for (int i = 0; page.size() < 1500000; i++) {
    page += "line " + std::to_string(i) + "\n";
    if (i % 7 == 0) page += std::string(i % 13, '\0') + "\r\n\n\n";
  }
  write_file(dir.path + "/index.html", Bytes(page.begin(), page.end()));
  PageServer server(dir.path);
  ASSERT_GT(server.port(), 0);
  for (int chunk : {500000, 4096}) {
    Fetched f = fetch(server.port(), "127.0.0.1", "/", chunk);
    EXPECT_EQ(f.send, 0);
    EXPECT_EQ(f.read, 0);
    EXPECT_EQ(f.body.size(), page.size());
    EXPECT_TRUE(f.body == page) << chunk;
  }
  EXPECT_EQ(http_sessions_opened, 1);
}
