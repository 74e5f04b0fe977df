// The fetch of a web page into the file buffer, as if a file had been opened, and the page
// buffer that collects it. Nothing calls these: the dialog that asks for the server
// (app/http_dialog.h) is reached by no control.
#pragma once

// The page buffer: the bytes received so far, and its capacity (-1 when there is none).
extern unsigned char* htm_page;
extern int htm_bytes_alloc;

// The port OpenURL connects to: 80; tests point it at a server on 127.0.0.1.
extern int http_fetch_port;

// Fetches `path` from `server` over HTTP/1.0 (platform/http.h, whose bounds and name rules apply)
// and shows the body in the hex view as the file buffer's new contents. The path is rewritten in
// place first ("/.", "/", "", "." and "/#" ask for "/", a leading '#' for "", a later '#' cuts
// the fragment), so it must hold at least two bytes. The bytes are appended to the page buffer
// from *count on and *count ends as their total (callers pass 0). `extra` is not read. The
// session opened by the first call stays open for the later ones. Returns 0; or 1 after a message
// on standard output and the status line, with every handle closed, the page buffer freed and the
// file buffer and view as they were (a page cut short by a failed read is not kept).
int OpenURL(char* server, char* path, unsigned char* extra, int* count);

// Makes the page buffer hold at least `size` bytes (400,000 when there is none and size <= 0); a
// larger one stays. Returns 0, or 1 after printing "out of memory" (then there is no buffer).
int AllocHtm(int size);
// Frees the page buffer.
void FreeHtm();
