// Message boxes and the file chooser, behind functions that tests can replace.
#pragma once

// Shows `text` in a message box and waits for the user. When plat_message_sink is set the text
// goes there instead (tests record it).
extern void (*plat_message_sink)(const char* text);
void plat_message(const char* text);

// Asks for a file to open. Returns 0 with the chosen name in `name` (at most size-1 characters),
// 1 when the user cancelled, -1 on an error. When plat_chooser_script is set it answers instead.
extern int (*plat_chooser_script)(const char* title, const char* filter, char* name, int size);
int plat_choose_file(const char* title, const char* filter, char* name, int size);

// Asks for a name to save a file under, offering `suggested`. Returns as plat_choose_file. When
// plat_save_chooser_script is set it answers instead.
extern int (*plat_save_chooser_script)(const char* title, const char* filter, const char* suggested,
                                       char* name, int size);
int plat_choose_save_file(const char* title, const char* filter, const char* suggested, char* name,
                          int size);

// Asks a question with two answers, the first the default. Returns 0 for the first answer, 1 for
// the second (a box closed without an answer counts as the first). When plat_choice_script is set
// it answers instead.
extern int (*plat_choice_script)(const char* question, const char* first, const char* second);
int plat_choice(const char* question, const char* first, const char* second);

// The toolkit's colour chooser titled `title`, editing r, g, b (0..1) in place; mode as the
// toolkit's (-1 its default). Returns 1 when the user confirmed, 0 when cancelled. When
// plat_color_script is set it answers instead.
extern int (*plat_color_script)(const char* title, double* r, double* g, double* b, int mode);
int plat_color_chooser(const char* title, double* r, double* g, double* b, int mode);
