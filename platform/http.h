// Plain HTTP/1.0 page requests over libcurl, in the steps of a session-based client: open a
// session (kept for later requests), connect (which only keeps the server's name and port), open
// a GET request, send it (done once the reply's headers are in), read the body in pieces, close
// each handle. The request carries the Host and User-Agent headers and nothing else. The name is
// resolved here, through http_resolver, and libcurl is handed the addresses, so that it never
// looks a name up itself; no proxy is used and redirects are not followed (the body of a reply
// of any status is the page).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// What a failed send or read reports: the codes of that kind of client.
enum {
  HTTP_TOO_LARGE = 8,                // the body is longer than http_bounds.max_body
  HTTP_TIMEOUT = 12002,              // one of the time bounds ran out
  HTTP_INVALID_NAME = 12005,         // a server name or path refused below; nothing was sent
  HTTP_NAME_NOT_RESOLVED = 12007,    // the resolver found no address
  HTTP_CANNOT_CONNECT = 12029,       // no address accepted the connection
  HTTP_CONNECTION_ABORTED = 12030,   // the body ended before its announced length, or broke off
  HTTP_INVALID_REPLY = 12152,        // not an HTTP reply, or headers over http_bounds.max_header
};

// A few words on what a code means ("time-out", "invalid reply", ...).
const char* http_error_text(int code);

// Server names are at most this long, and only letters, digits, '-', '.' and '_'; anything else
// (spaces, line ends and other controls, '/', '@', ':', bytes above 127) could change the request
// or the host it goes to. Paths may not hold spaces or controls. Both are refused with
// HTTP_INVALID_NAME, never cut.
constexpr int HTTP_MAX_NAME = 255;

// Limits of one request. Tests lower them.
struct HttpBounds {
  long connect_ms = 10000;  // to open the connection
  long idle_ms = 15000;     // without a byte of the reply
  long total_ms = 60000;    // for the whole request, from the send
  int64_t max_body = 64LL << 20;
  int64_t max_header = 64 << 10;  // all header lines of the reply together
};
extern HttpBounds http_bounds;

// Resolves a server name to numeric addresses (IPv4 dotted or IPv6 text) appended to *out; returns
// 0, or non-zero when the name has none. http_system_resolver (getaddrinfo) by default; tests
// put a table of loopback addresses here so that no look-up leaves the machine.
extern int (*http_resolver)(const char* name, std::vector<std::string>* out);
int http_system_resolver(const char* name, std::vector<std::string>* out);

struct HttpSession;
struct HttpConnection;
struct HttpRequest;

// Null when libcurl cannot be started. `agent` is sent as the User-Agent.
HttpSession* http_open_session(const char* agent);
void http_close_session(HttpSession* session);

// Keeps the name and port; nothing is checked or sent yet. Null only when memory ran out.
HttpConnection* http_connect(HttpSession* session, const char* server, int port);
void http_close_connection(HttpConnection* connection);

// A GET of `path` (an empty path asks for "/", one without a leading '/' gets one). Null only when
// memory ran out.
HttpRequest* http_open_request(HttpConnection* connection, const char* path);
// Checks the name and path, resolves the name, connects and sends the request, and waits for the
// reply's headers. Returns 0, or one of the codes above.
int http_send_request(HttpRequest* request);
// Copies the next at most `size` bytes of the body into buf and sets *got; *got is 0 once the body
// has ended. Returns 0, or one of the codes above (then *got is 0, and later reads fail alike).
int http_read(HttpRequest* request, unsigned char* buf, int size, int* got);
// Ends the transfer if it is still running and closes its connection.
void http_close_request(HttpRequest* request);

// Sessions opened since the start, and handles of all three kinds open now.
extern long http_sessions_opened;
int http_handles_open();
