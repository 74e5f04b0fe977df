// The dialog that asks for a server and fetches its root page into the file buffer
// (app/http_fetch.h). No control opens it.
#pragma once

class Fl_Input;
class Fl_Return_Button;
class Fl_Widget;
class Fl_Window;

// The server name typed into the dialog; emptied when the dialog opens. A longer name than fits
// is not taken (it stays empty, and the fetch refuses it): a cut name could be another host.
extern char http_address[256];

// The dialog window, its input field and its "Ok" button while the dialog is up (null after).
extern Fl_Window* http_window;
extern Fl_Input* http_inp;
extern Fl_Return_Button* close_but;

// Shows the modal dialog and waits until it is gone. Unless "Cancel" ended it, the kind becomes
// text and the root page of the server is fetched (closing the window through its frame fetches
// too, with the name left empty, which the fetch refuses); the kind becomes html when the fetch
// succeeded and is put back as it was when it failed (the status line then says why).
void cb_open_http();

// "Ok": takes the input's text as the server name, then closes the dialog.
void close_http_cb(Fl_Widget* w, void* data);
// "Cancel": remembers that the dialog was cancelled, then closes it.
void cancel_http_cb(Fl_Widget* w, void* data);
// The input's own callback, which does nothing.
void handle_inp_cb(Fl_Widget* w, void* data);
