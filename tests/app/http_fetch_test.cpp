// The page fetch against servers on 127.0.0.1: what it asks for, what lands in the file buffer,
// and that a failure leaves everything as it was. Names resolve through a loopback table only.
#include <gtest/gtest.h>

#include <FL/Fl_Choice.H>

#include <cstring>
#include <string>
#include <vector>

#include "app/http_fetch.h"
#include "app/open_file.h"
#include "app/open_fixture.h"
#include "formats/reader.h"
#include "platform/http.h"
#include "support/headless.h"
#include "support/image_fixtures.h"
#include "support/reply_server.h"
#include "support/temp_dir.h"
#include "view/canvas.h"
#include "view/hex_view.h"
#include "view/screen.h"

namespace {

int loopback_resolver(const char* name, std::vector<std::string>* out) {
  if (strcmp(name, "127.0.0.1") != 0 && strcmp(name, "server.test") != 0) return 1;
  out->push_back("127.0.0.1");
  return 0;
}

std::string page_reply(const std::string& body) {
  return "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

Reply answer(const std::string& bytes, int hold_ms = 0) {
  Reply r;
  r.steps.push_back({0, bytes});
  r.hold_ms = hold_ms;
  return r;
}

// Everything a failed fetch must leave as it was.
struct Shown {
  std::string file;
  int file_length, kind, view, selected;
  std::vector<std::string> items;
  std::vector<float> canvas;
  bool operator==(const Shown& o) const {
    return file == o.file && file_length == o.file_length && kind == o.kind && view == o.view &&
           selected == o.selected && items == o.items && canvas == o.canvas;
  }
};

Shown shown() {
  Shown s;
  s.file_length = bin_allocated;
  if (bin_allocated > 0) s.file.assign((const char*)bin_content, (size_t)bin_allocated);
  s.kind = content;
  s.view = contentview;
  s.selected = get_view_val();
  s.items = choice_items();
  s.canvas.assign(fimage, fimage + 4L * width * height);
  return s;
}

class Fetch : public ::testing::Test {
 protected:
  void SetUp() override {
    headless_viewer();
    http_resolver = loopback_resolver;
    bounds_ = http_bounds;
    // What the window showed before: a picture, from a file of its own.
    put_file_buffer(std::string("previous file\n\0\n", 16));
    size_loaded_image(4, 3);
    fill_pixels(img_content, 12, 0.2f, 0.6f, 0.9f, 1);
    set_content_image(1);
    image_post(4, 3, 1);
    upd_rgb(0);
    set_status("Ready");
  }
  void TearDown() override {
    http_bounds = bounds_;
    http_resolver = http_system_resolver;
    http_fetch_port = 80;
    fail_bin_alloc = 0;
    EXPECT_EQ(htm_bytes_alloc, -1) << "page buffer kept";
    EXPECT_LE(http_handles_open(), 1) << "handles left open";
  }

  // OpenURL as the dialog calls it, with the server's port; returns its result.
  static int open_url(const std::string& server, const std::string& path, int port, int* count) {
    http_fetch_port = port;
    std::vector<char> name(server.begin(), server.end()), p(path.begin(), path.end());
    name.push_back(0);
    p.push_back(0);
    p.push_back(0);  // room for the rewrite of "" to "/"
    *count = 0;
    return OpenURL(name.data(), p.data(), nullptr, count);
  }

  HttpBounds bounds_;
};

}  // namespace

TEST_F(Fetch, PutsThePageIntoTheFileBufferAndShowsItsBytes) {
  std::string page = std::string("<html>\0\n\n<body>", 15) + std::string(700, 'w') + "</html>\n";
  ReplyServer server(answer(page_reply(page)));
  int count = -1;
  EXPECT_EQ(open_url("127.0.0.1", ".", server.port(), &count), 0);
  EXPECT_EQ(count, (int)page.size());
  ASSERT_EQ(bin_allocated, (int)page.size());
  EXPECT_EQ(std::string((const char*)bin_content, page.size()), page);
  EXPECT_EQ(contentview, 3);
  EXPECT_EQ(status_text(), "");
  EXPECT_EQ(choice_items(), (std::vector<std::string>{"none", "hex", "auto"}));
  EXPECT_EQ(choice_selected(), "hex");
  // The canvas holds the hex dump of the new file buffer.
  std::vector<float> painted(fimage, fimage + 4L * width * height);
  do_hexview();
  EXPECT_TRUE(painted == std::vector<float>(fimage, fimage + 4L * width * height));
  EXPECT_EQ(server.requests().at(0).substr(0, 16), "GET / HTTP/1.0\r\n");
}

TEST_F(Fetch, AsksForThePathWithoutItsFragment) {
  struct Case {
    const char* path;
    const char* rewritten;  // the caller's buffer afterwards
    const char* target;     // what the request asks for
  } cases[] = {
      {".", "/", "/"},         {"/.", "/", "/"},      {"/", "/", "/"},
      {"", "/", "/"},          {"/#", "/", "/"},      {"#top", "", "/"},
      {"/a#frag", "/a", "/a"}, {"/a/b#", "/a/b", "/a/b"}, {"/x?q=1#f#g", "/x?q=1", "/x?q=1"},
      {"a.html#s", "a.html", "/a.html"},
  };
  ReplyServer server(answer(page_reply("ok")));
  http_fetch_port = server.port();
  size_t n = 0;
  for (const Case& c : cases) {
    char path[64], server_name[] = "server.test";
    snprintf(path, sizeof path, "%s", c.path);
    int count = 0;
    EXPECT_EQ(OpenURL(server_name, path, nullptr, &count), 0) << c.path;
    EXPECT_STREQ(path, c.rewritten) << c.path;
    ASSERT_EQ(server.requests().size(), ++n);
    EXPECT_EQ(server.requests().back(), std::string("GET ") + c.target + " HTTP/1.0\r\nHost: server.test:" +
                                            std::to_string(server.port()) +
                                            "\r\nUser-Agent: HttpSendRequestEx\r\n\r\n")
        << c.path;
  }
}

TEST_F(Fetch, AnEmptyPageIsAnEmptyFile) {
  ReplyServer server(answer("HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n"));
  int count = -1;
  EXPECT_EQ(open_url("127.0.0.1", ".", server.port(), &count), 0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(bin_allocated, 0);
  EXPECT_NE(bin_content, nullptr);
  EXPECT_EQ(contentview, 3);
  EXPECT_EQ(status_text(), "");
}

TEST_F(Fetch, AFailureLeavesFileKindAndViewAsTheyWere) {
  http_bounds.idle_ms = 400;
  http_bounds.max_body = 100000;
  std::string page = "complete page";
  struct Case {
    const char* name;
    std::string server;
    Reply reply;
    bool reachable;  // the server is asked at all
    const char* status;
    const char* console;
  } cases[] = {
      {"no name", "", answer(page_reply(page)), false, "invalid URL.", "\ninvalid URL.servername: \n"},
      {"long name", std::string(300, 'a'), answer(page_reply(page)), false, "invalid URL.", "\ninvalid URL."},
      {"name with a line end", "server.test\r\nX: y", answer(page_reply(page)), false, "invalid URL.", "\ninvalid URL."},
      {"unknown name", "nowhere.test", answer(page_reply(page)), false, "internet: not connected.",
       "\ninternet: not connected."},
      {"not HTTP", "127.0.0.1", answer("garbage\r\n\r\n"), true, "HttpSendRequest: 12152 (invalid reply)",
       "HttpSendRequest: 12152\n"},
      {"closed before the end", "127.0.0.1", answer("HTTP/1.0 200 OK\r\nContent-Length: 900\r\n\r\nhalf"), true,
       "InternetReadFile failed: 12030 (connection broken off)", "InternetReadFile failed.\n"},
      {"stalled mid-page", "127.0.0.1", answer("HTTP/1.0 200 OK\r\n\r\nstart", 20000), true,
       "InternetReadFile failed: 12002 (time-out)", "InternetReadFile failed.\n"},
      {"too large", "127.0.0.1", answer("HTTP/1.0 200 OK\r\n\r\n" + std::string(100001, 'x')), true,
       "InternetReadFile failed: 8 (page too large)", "InternetReadFile failed.\n"},
      {"no file buffer", "127.0.0.1", answer(page_reply(page)), true, "memory error (bin)", "memory error (bin)\n"},
  };
  for (const Case& c : cases) {
    ReplyServer server(c.reply);
    fail_bin_alloc = strcmp(c.name, "no file buffer") == 0;
    Shown before = shown();
    int count = 0;
    start_stdout_capture();
    int r = open_url(c.server, ".", server.port(), &count);
    std::string console = stop_stdout_capture();
    fail_bin_alloc = 0;
    EXPECT_EQ(r, 1) << c.name;
    EXPECT_TRUE(shown() == before) << c.name;
    EXPECT_EQ(status_text(), c.status) << c.name;
    EXPECT_NE(console.find(c.console), std::string::npos) << c.name << ": " << console;
    EXPECT_EQ(server.connections(), c.reachable ? 1 : 0) << c.name;
    EXPECT_EQ(htm_bytes_alloc, -1) << c.name;
    EXPECT_EQ(http_handles_open(), 1) << c.name;
  }
}

TEST_F(Fetch, ALargePageArrivesWholeAndTheSessionStays) {
  TempDir dir("page");
  std::string page;
  for (int i = 0; page.size() < 1500000; i++) {
    page += "<p>" + std::to_string(i) + "</p>\n";
    if (i % 5 == 0) page += std::string(i % 11, '\0') + "\n\n";
  }
  write_file(dir.path + "/index.html", Bytes(page.begin(), page.end()));
  PageServer server(dir.path);
  ASSERT_GT(server.port(), 0);
  int count = 0;
  ASSERT_EQ(open_url("127.0.0.1", ".", server.port(), &count), 0);
  long sessions = http_sessions_opened;
  for (int i = 0; i < 2; i++) {
    ASSERT_EQ(open_url("127.0.0.1", "/", server.port(), &count), 0);
    EXPECT_EQ(count, (int)page.size());
    ASSERT_EQ(bin_allocated, (int)page.size());
    EXPECT_TRUE(memcmp(bin_content, page.data(), page.size()) == 0);
  }
  EXPECT_EQ(http_sessions_opened, sessions);
  EXPECT_EQ(http_handles_open(), 1);
}

TEST_F(Fetch, ManyFetchesLeaveNoDescriptorOpen) {
  ReplyServer good(answer(page_reply("fine")));
  ReplyServer cut(answer("HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\nab"));
  ClosedPort closed;
  int count = 0;
  open_url("127.0.0.1", ".", good.port(), &count);  // the session and its own descriptors
  ASSERT_TRUE(good.wait_idle());
  int before = open_descriptors();
  for (int i = 0; i < 50; i++) {
    int port = i % 4 == 0   ? good.port()
               : i % 4 == 1 ? cut.port()
               : i % 4 == 2 ? closed.port()
                            : good.port();
    std::string name = i % 4 == 3 ? "nowhere.test" : "127.0.0.1";
    EXPECT_EQ(open_url(name, ".", port, &count), i % 4 == 0 ? 0 : 1) << i;
  }
  ASSERT_TRUE(good.wait_idle() && cut.wait_idle());
  EXPECT_EQ(open_descriptors(), before);
  EXPECT_EQ(http_handles_open(), 1);
}

TEST(PageBuffer, GrowsAndIsFreed) {
  FreeHtm();
  struct Step {
    int size, capacity;
  } steps[] = {{0, 400000}, {-3, 400000}, {100, 400000}, {400001, 400001}, {0, 400001}};
  for (const Step& s : steps) {
    EXPECT_EQ(AllocHtm(s.size), 0) << s.size;
    EXPECT_EQ(htm_bytes_alloc, s.capacity) << s.size;
    ASSERT_NE(htm_page, nullptr);
    htm_page[htm_bytes_alloc - 1] = 7;  // the whole capacity is there
  }
  htm_page[0] = 42;
  EXPECT_EQ(AllocHtm(900000), 0);
  EXPECT_EQ(htm_page[0], 42);  // growing keeps the bytes
  FreeHtm();
  EXPECT_EQ(htm_bytes_alloc, -1);
  EXPECT_EQ(htm_page, nullptr);
  FreeHtm();  // freeing nothing is harmless
  EXPECT_EQ(AllocHtm(1000), 0);
  EXPECT_EQ(htm_bytes_alloc, 1000);
  FreeHtm();
}
