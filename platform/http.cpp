#include "platform/http.h"

#include <arpa/inet.h>
#include <curl/curl.h>
#include <netdb.h>
#include <sys/socket.h>

#include <chrono>
#include <cstring>
#include <mutex>

HttpBounds http_bounds;
int (*http_resolver)(const char* name, std::vector<std::string>* out) = http_system_resolver;
long http_sessions_opened = 0;

namespace {

using Clock = std::chrono::steady_clock;

int handles_open = 0;

long ms_since(Clock::time_point t) {
  return (long)std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
}

}  // namespace

struct HttpSession {
  CURLM* multi = nullptr;
  std::string agent;
};

struct HttpConnection {
  HttpSession* session;
  std::string name;
  int port;
};

struct HttpRequest {
  HttpConnection* connection;
  std::string path;
  CURL* easy = nullptr;
  curl_slist* resolve = nullptr;
  curl_slist* headers = nullptr;
  bool sent = false;
  bool added = false;  // to the session's multi handle

  // The transfer as the callbacks and the pump see it.
  int status = 0;
  bool headers_done = false;  // the blank line after a final status's headers arrived
  bool finished = false;
  CURLcode result = CURLE_OK;
  int64_t header_bytes = 0, body_bytes = 0;
  bool header_too_big = false, body_too_big = false;
  Clock::time_point start, last_byte;
  int error = 0;  // a failure already reported, repeated by later reads

  // Body bytes received but not read yet.
  std::string pending;
  size_t pending_at = 0;
};

int http_system_resolver(const char* name, std::vector<std::string>* out) {
  addrinfo hints;
  memset(&hints, 0, sizeof hints);
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  if (getaddrinfo(name, nullptr, &hints, &list) != 0) return 1;
  for (addrinfo* a = list; a; a = a->ai_next) {
    char text[INET6_ADDRSTRLEN];
    const void* at = a->ai_family == AF_INET ? (const void*)&((sockaddr_in*)a->ai_addr)->sin_addr
                                             : (const void*)&((sockaddr_in6*)a->ai_addr)->sin6_addr;
    if ((a->ai_family == AF_INET || a->ai_family == AF_INET6) &&
        inet_ntop(a->ai_family, at, text, sizeof text))
      out->push_back(text);
  }
  freeaddrinfo(list);
  return out->empty() ? 1 : 0;
}

int http_handles_open() { return handles_open; }

const char* http_error_text(int code) {
  switch (code) {
    case HTTP_TOO_LARGE: return "page too large";
    case HTTP_TIMEOUT: return "time-out";
    case HTTP_INVALID_NAME: return "invalid server name or path";
    case HTTP_NAME_NOT_RESOLVED: return "server name not found";
    case HTTP_CANNOT_CONNECT: return "no connection";
    case HTTP_CONNECTION_ABORTED: return "connection broken off";
    case HTTP_INVALID_REPLY: return "invalid reply";
    default: return "failure";
  }
}

HttpSession* http_open_session(const char* agent) {
  static std::once_flag once;
  static CURLcode global = CURLE_OK;
  std::call_once(once, [] { global = curl_global_init(CURL_GLOBAL_DEFAULT); });
  if (global != CURLE_OK) return nullptr;
  HttpSession* s = new HttpSession;
  s->multi = curl_multi_init();
  if (!s->multi) {
    delete s;
    return nullptr;
  }
  s->agent = agent ? agent : "";
  http_sessions_opened++;
  handles_open++;
  return s;
}

void http_close_session(HttpSession* s) {
  if (!s) return;
  curl_multi_cleanup(s->multi);
  delete s;
  handles_open--;
}

HttpConnection* http_connect(HttpSession* s, const char* server, int port) {
  if (!s) return nullptr;
  handles_open++;
  return new HttpConnection{s, server ? server : "", port};
}

void http_close_connection(HttpConnection* c) {
  if (!c) return;
  delete c;
  handles_open--;
}

HttpRequest* http_open_request(HttpConnection* c, const char* path) {
  if (!c) return nullptr;
  HttpRequest* r = new HttpRequest;
  r->connection = c;
  r->path = path ? path : "";
  handles_open++;
  return r;
}

void http_close_request(HttpRequest* r) {
  if (!r) return;
  if (r->easy) {
    // A transfer taken out before its end loses its connection with it.
    if (r->added) curl_multi_remove_handle(r->connection->session->multi, r->easy);
    curl_easy_cleanup(r->easy);
  }
  curl_slist_free_all(r->resolve);
  curl_slist_free_all(r->headers);
  delete r;
  handles_open--;
}

namespace {

bool valid_name(const std::string& name) {
  if (name.empty() || name.size() > (size_t)HTTP_MAX_NAME) return false;
  for (unsigned char ch : name) {
    bool ok = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') ||
              ch == '-' || ch == '.' || ch == '_';
    if (!ok) return false;
  }
  return true;
}

bool valid_path(const std::string& path) {
  for (unsigned char ch : path)
    if (ch <= ' ' || ch == 0x7F) return false;
  return true;
}

size_t on_header(char* data, size_t, size_t n, void* user) {
  HttpRequest* r = (HttpRequest*)user;
  r->last_byte = Clock::now();
  r->header_bytes += (int64_t)n;
  if (r->header_bytes > http_bounds.max_header) {
    r->header_too_big = true;
    return 0;
  }
  if (n >= 12 && memcmp(data, "HTTP/", 5) == 0) {
    const char* sp = (const char*)memchr(data, ' ', n);
    r->status = sp && sp + 4 <= data + n ? atoi(sp + 1) : 0;
  } else if ((n == 2 && data[0] == '\r' && data[1] == '\n') || (n == 1 && data[0] == '\n')) {
    if (r->status >= 200) r->headers_done = true;
  }
  return n;
}

size_t on_body(char* data, size_t, size_t n, void* user) {
  HttpRequest* r = (HttpRequest*)user;
  r->last_byte = Clock::now();
  if (r->body_bytes + (int64_t)n > http_bounds.max_body) {
    r->body_too_big = true;
    return 0;
  }
  r->body_bytes += (int64_t)n;
  if (r->pending_at == r->pending.size()) {
    r->pending.clear();
    r->pending_at = 0;
  }
  r->pending.append(data, n);
  return n;
}

// The code for a transfer that ended with rc; what a cut counts as depends on whether the
// headers were complete.
int code_for(const HttpRequest* r, CURLcode rc) {
  if (r->body_too_big || rc == CURLE_FILESIZE_EXCEEDED) return HTTP_TOO_LARGE;
  if (r->header_too_big) return HTTP_INVALID_REPLY;
  switch (rc) {
    case CURLE_OPERATION_TIMEDOUT: return HTTP_TIMEOUT;
    case CURLE_COULDNT_CONNECT: return HTTP_CANNOT_CONNECT;
    case CURLE_COULDNT_RESOLVE_HOST: return HTTP_NAME_NOT_RESOLVED;
    default: return r->headers_done ? HTTP_CONNECTION_ABORTED : HTTP_INVALID_REPLY;
  }
}

// Lets libcurl move the transfer on, then waits for the socket or the nearest bound. Returns 0,
// or HTTP_TIMEOUT when the whole request or the silence of the server went on too long.
int pump(HttpRequest* r) {
  CURLM* multi = r->connection->session->multi;
  int running = 0;
  curl_multi_perform(multi, &running);
  int left;
  while (CURLMsg* m = curl_multi_info_read(multi, &left))
    if (m->msg == CURLMSG_DONE && m->easy_handle == r->easy) {
      r->finished = true;
      r->result = m->data.result;
    }
  if (r->finished || r->pending_at < r->pending.size()) return 0;
  long total_left = http_bounds.total_ms - ms_since(r->start);
  long idle_left = http_bounds.idle_ms - ms_since(r->last_byte);
  if (total_left <= 0 || idle_left <= 0) return HTTP_TIMEOUT;
  long wait = total_left < idle_left ? total_left : idle_left;
  curl_multi_poll(multi, nullptr, 0, (int)(wait < 1000 ? wait : 1000), nullptr);
  return 0;
}

bool configure(HttpRequest* r, const std::vector<std::string>& addresses) {
  HttpConnection* c = r->connection;
  std::string port = std::to_string(c->port);
  std::string entry = c->name + ":" + port + ":";
  for (size_t i = 0; i < addresses.size(); i++) {
    bool v6 = addresses[i].find(':') != std::string::npos;
    entry += (i ? "," : "") + (v6 ? "[" + addresses[i] + "]" : addresses[i]);
  }
  r->resolve = curl_slist_append(nullptr, entry.c_str());
  // The only header libcurl would add on its own; Host and User-Agent stay.
  r->headers = curl_slist_append(nullptr, "Accept:");
  r->easy = curl_easy_init();
  if (!r->resolve || !r->headers || !r->easy) return false;
  std::string url = "http://" + c->name + ":" + port + "/";
  std::string target = r->path.empty() || r->path[0] != '/' ? "/" + r->path : r->path;
  CURL* e = r->easy;
  bool ok = curl_easy_setopt(e, CURLOPT_URL, url.c_str()) == CURLE_OK &&
            curl_easy_setopt(e, CURLOPT_REQUEST_TARGET, target.c_str()) == CURLE_OK &&
            curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http") == CURLE_OK &&
            curl_easy_setopt(e, CURLOPT_RESOLVE, r->resolve) == CURLE_OK;
  curl_easy_setopt(e, CURLOPT_HTTP_VERSION, (long)CURL_HTTP_VERSION_1_0);
  curl_easy_setopt(e, CURLOPT_USERAGENT, c->session->agent.c_str());
  curl_easy_setopt(e, CURLOPT_HTTPHEADER, r->headers);
  curl_easy_setopt(e, CURLOPT_PROXY, "");
  curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(e, CURLOPT_PATH_AS_IS, 1L);
  curl_easy_setopt(e, CURLOPT_HTTP_CONTENT_DECODING, 0L);
  curl_easy_setopt(e, CURLOPT_FORBID_REUSE, 1L);
  curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, http_bounds.connect_ms);
  curl_easy_setopt(e, CURLOPT_TIMEOUT_MS, http_bounds.total_ms);
  curl_easy_setopt(e, CURLOPT_MAXFILESIZE_LARGE, (curl_off_t)http_bounds.max_body);
  curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, on_header);
  curl_easy_setopt(e, CURLOPT_HEADERDATA, r);
  curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, on_body);
  curl_easy_setopt(e, CURLOPT_WRITEDATA, r);
  return ok;
}

}  // namespace

int http_send_request(HttpRequest* r) {
  if (!r) return HTTP_INVALID_NAME;
  if (r->sent) return r->error;
  r->sent = true;
  HttpConnection* c = r->connection;
  if (!valid_name(c->name) || !valid_path(r->path) || c->port <= 0 || c->port > 65535)
    return r->error = HTTP_INVALID_NAME;
  std::vector<std::string> addresses;
  if (http_resolver(c->name.c_str(), &addresses) != 0 || addresses.empty())
    return r->error = HTTP_NAME_NOT_RESOLVED;
  if (!configure(r, addresses)) return r->error = HTTP_INVALID_NAME;
  if (curl_multi_add_handle(c->session->multi, r->easy) != CURLM_OK) return r->error = HTTP_CANNOT_CONNECT;
  r->added = true;
  r->start = r->last_byte = Clock::now();
  while (!r->headers_done && !r->finished)
    if (int e = pump(r)) return r->error = e;
  if (r->finished && r->result != CURLE_OK && !r->headers_done) return r->error = code_for(r, r->result);
  return 0;
}

int http_read(HttpRequest* r, unsigned char* buf, int size, int* got) {
  *got = 0;
  if (!r || !r->easy) return HTTP_CONNECTION_ABORTED;
  if (r->error) return r->error;
  while (r->pending_at == r->pending.size() && !r->finished)
    if (int e = pump(r)) return r->error = e;
  size_t have = r->pending.size() - r->pending_at;
  if (have > 0) {
    size_t n = have < (size_t)size ? have : (size_t)size;
    memcpy(buf, r->pending.data() + r->pending_at, n);
    r->pending_at += n;
    *got = (int)n;
    return 0;
  }
  if (r->result != CURLE_OK) return r->error = code_for(r, r->result);
  return 0;
}
