// The server dialog, shown on the test's X server and driven by the toolkit's timers as a user
// would: type, press "Ok" or "Cancel", or close the window. Servers run on 127.0.0.1 and names
// resolve through a loopback table only.
#include <gtest/gtest.h>

#include <FL/Fl.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Window.H>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/http_dialog.h"
#include "app/http_fetch.h"
#include "app/open_fixture.h"
#include "platform/http.h"
#include "support/headless.h"
#include "support/image_fixtures.h"
#include "support/ocr.h"
#include "support/reply_server.h"
#include "view/canvas.h"
#include "view/screen.h"

namespace {

int loopback_resolver(const char* name, std::vector<std::string>* out) {
  if (strcmp(name, "127.0.0.1") != 0) return 1;
  out->push_back("127.0.0.1");
  return 0;
}

// What the user does once the dialog is up.
std::function<void()> user;

void act(void*) {
  if (!http_window || !http_window->shown()) {
    Fl::repeat_timeout(0.02, act);  // not up yet
    return;
  }
  user();
}

void run_dialog(std::function<void()> what) {
  user = std::move(what);
  Fl::add_timeout(0.02, act);
  cb_open_http();
  Fl::remove_timeout(act);
}

void type_and_press_ok(const std::string& name) {
  http_inp->value(name.c_str());
  close_but->do_callback();
}

const std::string PAGE = "<html>first line of the page\n<body>second</body></html>\n";

class Dialog : public ::testing::Test {
 protected:
  void SetUp() override {
    headless_viewer();
    http_resolver = loopback_resolver;
    put_file_buffer(std::string("the file shown before"));
    set_content_text();
    contentview = 0;
    upd_rgb(0);
    set_status("Ready");
    server_.reset(new ReplyServer(
        Reply{{{0, "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(PAGE.size()) + "\r\n\r\n" + PAGE}}}));
    http_fetch_port = server_->port();
  }
  void TearDown() override {
    http_resolver = http_system_resolver;
    http_fetch_port = 80;
    EXPECT_EQ(http_window, nullptr);
    EXPECT_LE(http_handles_open(), 1);
  }

  std::string file() const { return std::string((const char*)bin_content, (size_t)bin_allocated); }

  std::unique_ptr<ReplyServer> server_;
};

}  // namespace

TEST_F(Dialog, AsksForTheServerInASmallModalWindow) {
  struct Geometry {
    int x, y, w, h;
    std::string label;
  };
  std::vector<Geometry> seen;
  bool modal = false;
  run_dialog([&] {
    modal = http_window->modal();
    seen.push_back({0, 0, http_window->w(), http_window->h(), http_window->label()});
    for (int i = 0; i < http_window->children(); i++) {
      Fl_Widget* c = http_window->child(i);
      seen.push_back({c->x(), c->y(), c->w(), c->h(), c->label() ? c->label() : ""});
    }
    EXPECT_STREQ(http_inp->value(), "");
    cancel_http_cb(nullptr, nullptr);
  });
  EXPECT_TRUE(modal);
  ASSERT_EQ(seen.size(), 4u);
  std::vector<Geometry> expected = {
      {0, 0, 640, 320, "http address"}, {80, 100, 300, 25, "http://"}, {50, 270, 110, 25, "Ok"}, {200, 270, 110, 25, "Cancel"}};
  for (size_t i = 0; i < expected.size(); i++) {
    EXPECT_EQ(seen[i].label, expected[i].label);
    EXPECT_EQ(seen[i].x, expected[i].x) << expected[i].label;
    EXPECT_EQ(seen[i].y, expected[i].y) << expected[i].label;
    EXPECT_EQ(seen[i].w, expected[i].w) << expected[i].label;
    EXPECT_EQ(seen[i].h, expected[i].h) << expected[i].label;
  }
}

TEST_F(Dialog, CancelChangesNothing) {
  std::vector<float> canvas(fimage, fimage + 4L * width * height);
  run_dialog([] {
    http_inp->value("127.0.0.1");
    cancel_http_cb(nullptr, nullptr);
  });
  EXPECT_EQ(server_->connections(), 0);
  EXPECT_EQ(file(), "the file shown before");
  EXPECT_TRUE(is_content_text());
  EXPECT_EQ(contentview, 0);
  EXPECT_EQ(status_text(), "Ready");
  EXPECT_TRUE(canvas == std::vector<float>(fimage, fimage + 4L * width * height));
}

// The input's own callback (Enter in the field) does nothing: the dialog stays up and takes no
// name until "Ok".
TEST_F(Dialog, TheInputsOwnCallbackDoesNothing) {
  bool wired = false, still_up = false;
  std::string taken = "?";
  run_dialog([&] {
    wired = http_inp->callback() == handle_inp_cb;
    http_inp->value("127.0.0.1");
    http_inp->do_callback();
    still_up = http_window && http_window->shown();
    taken = http_address;
    type_and_press_ok("127.0.0.1");
  });
  EXPECT_TRUE(wired);
  EXPECT_TRUE(still_up);
  EXPECT_EQ(taken, "");
  EXPECT_EQ(server_->requests().size(), 1u) << "one fetch, by Ok";
}

TEST_F(Dialog, OkFetchesTheRootPageAndShowsIt) {
  run_dialog([] { type_and_press_ok("127.0.0.1"); });
  EXPECT_STREQ(http_address, "127.0.0.1");
  ASSERT_EQ(server_->requests().size(), 1u);
  EXPECT_EQ(server_->requests()[0].substr(0, 16), "GET / HTTP/1.0\r\n");
  EXPECT_EQ(file(), PAGE);
  EXPECT_EQ(contentview, 3);
  EXPECT_TRUE(is_content_html());
  EXPECT_EQ(status_text(), "");
  EXPECT_EQ(choice_items(), (std::vector<std::string>{"none", "hex", "source", "html", "auto"}));
  // The fetch redraws while the kind is still text, so the page stands there as text.
  EXPECT_EQ(ocr_canvas_text(0, 0, 28), "<html>first line of the page");
}

TEST_F(Dialog, RefusedNamesSendNothingAndPutTheKindBack) {
  struct Case {
    const char* name;
    std::function<void()> user;
    const char* address;  // what the dialog took as the name
    const char* status;
  } cases[] = {
      {"window closed", [] { http_window->do_callback(); }, "", "invalid URL."},
      {"300 characters", [] { type_and_press_ok(std::string(300, 'a')); }, "", "invalid URL."},
      {"unknown server", [] { type_and_press_ok("nowhere.test"); }, "nowhere.test", "internet: not connected."},
  };
  for (Case& c : cases) {
    std::vector<float> canvas(fimage, fimage + 4L * width * height);
    run_dialog(c.user);
    EXPECT_EQ(server_->connections(), 0) << c.name;
    EXPECT_STREQ(http_address, c.address) << c.name;
    EXPECT_EQ(file(), "the file shown before") << c.name;
    EXPECT_TRUE(is_content_text()) << c.name;
    EXPECT_EQ(choice_items(), (std::vector<std::string>{"none", "hex", "text", "auto"})) << c.name;
    EXPECT_EQ(contentview, 0) << c.name;
    EXPECT_EQ(status_text(), c.status) << c.name;
    EXPECT_TRUE(canvas == std::vector<float>(fimage, fimage + 4L * width * height)) << c.name;
  }
}
