#include "app/http_fetch.h"

#include <FL/Fl.H>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/open_file.h"
#include "platform/http.h"
#include "view/canvas.h"
#include "view/hex_view.h"
#include "view/screen.h"

unsigned char* htm_page = nullptr;
int htm_bytes_alloc = -1;
int http_fetch_port = 80;

static int internet_open = 0;

// The most a single read asks for, and the step by which the page buffer grows beyond a chunk.
static const int HTM_CHUNK = 500000;

int AllocHtm(int size) {
  if (size <= 0) {
    if (htm_bytes_alloc != -1) return 0;
    size = 400000;
  }
  if (htm_bytes_alloc >= size) return 0;
  unsigned char* grown = (unsigned char*)realloc(htm_bytes_alloc == -1 ? nullptr : htm_page, (size_t)size);
  if (!grown) {
    // Without a buffer the capacity says so; the old block must not stay behind unreferenced.
    puts("out of memory");
    FreeHtm();
    return 1;
  }
  htm_page = grown;
  htm_bytes_alloc = size;
  return 0;
}

void FreeHtm() {
  if (htm_bytes_alloc != -1) free(htm_page);
  htm_page = nullptr;
  htm_bytes_alloc = -1;
}

// What the fetch asks for, as the request path.
static void rewrite_path(char* path) {
  if (!strcmp(path, "/.") || !strcmp(path, "/") || !strcmp(path, "") || !strcmp(path, ".") ||
      !strcmp(path, "/#")) {
    strcpy(path, "/");
  } else if (path[0] == '#') {
    path[0] = 0;
  } else if (char* fragment = strchr(path + 1, '#')) {
    *fragment = 0;
  }
}

// Copies count page bytes into a new file buffer; the old one is freed only once the new one
// exists, so a failure leaves the file shown before as it was.
static bool take_page(int count) {
  unsigned char* bytes = fail_bin_alloc ? nullptr : (unsigned char*)malloc(count > 0 ? (size_t)count : 1);
  if (!bytes) return false;
  if (count > 0) memcpy(bytes, htm_page, (size_t)count);
  if (bin_allocated != -1) free(bin_content);
  bin_content = bytes;
  bin_allocated = count;
  return true;
}

int OpenURL(char* server, char* path, unsigned char* extra, int* count) {
  static HttpSession* hSession = nullptr;
  std::string failure;
  HttpConnection* connection = nullptr;
  HttpRequest* request = nullptr;
  // Every failure leaves through here: handles closed, page buffer freed, the reason shown.
  auto fail = [&](const std::string& why) {
    http_close_request(request);
    http_close_connection(connection);
    FreeHtm();
    set_status(why.c_str());
    return 1;
  };
  char text[400];

  std::string receiving = std::string("receiving ") + path + " from " + server + ".";
  set_status(receiving.c_str());
  Fl::check();

  AllocHtm(HTM_CHUNK);

  if (!internet_open) {
    hSession = http_open_session("HttpSendRequestEx");
    if (!hSession) {
      puts("Opening internet session failed.");
      return fail("Opening internet session failed.");
    }
    internet_open = 1;
  }

  connection = http_connect(hSession, server, http_fetch_port);
  if (!connection) {
    std::string why = std::string("Internet connection to ") + server + " failed.";
    fputs(why.c_str(), stdout);
    return fail(why);
  }

  rewrite_path(path);

  request = http_open_request(connection, path);
  if (!request) {
    printf("\nHttp Open Request failed.");
    return fail("Http Open Request failed.");
  }

  int e = http_send_request(request);
  if (e != 0) {
    if (e == HTTP_INVALID_NAME) {
      printf("\ninvalid URL.");
      printf("servername: %s\n", server);
      return fail("invalid URL.");
    }
    if (e == HTTP_NAME_NOT_RESOLVED) {
      printf("\ninternet: not connected.");
      return fail("internet: not connected.");
    }
    printf("HttpSendRequest: %d\n", e);
    snprintf(text, sizeof text, "HttpSendRequest: %d (%s)", e, http_error_text(e));
    return fail(text);
  }

  if (*count < 0) *count = 0;
  std::vector<unsigned char> chunk(HTM_CHUNK);
  for (;;) {
    int got = 0;
    e = http_read(request, chunk.data(), HTM_CHUNK, &got);
    if (e != 0) {
      // A page cut short is not the page: nothing of it is kept.
      puts("InternetReadFile failed.");
      snprintf(text, sizeof text, "InternetReadFile failed: %d (%s)", e, http_error_text(e));
      return fail(text);
    }
    if (got == 0) break;
    int64_t end = (int64_t)*count + got;
    if (end > htm_bytes_alloc) {
      int64_t want = end + HTM_CHUNK;
      if (want > INT32_MAX) puts("out of memory");
      if (want > INT32_MAX || AllocHtm(want <= 0 ? 400000 : (int)want) != 0) return fail("out of memory");
    }
    memcpy(htm_page + *count, chunk.data(), (size_t)got);
    *count = (int)end;
  }

  if (!take_page(*count)) {
    puts("memory error (bin)");
    return fail("memory error (bin)");
  }

  do_hexview();
  contentview = 3;
  show_hex_choices();
  upd_rgb(0);

  FreeHtm();
  http_close_request(request);
  http_close_connection(connection);
  set_status("");
  Fl::check();
  return 0;
}
