// The decisions of the editor jump that need no window: where the named file
// is, what command line starts the editor, which window title counts as the
// editor showing the file, and whether the line still has to be positioned.
#pragma once
#include <stddef.h>

const size_t JUMP_LINE_SIZE = 512;     // caret line, then file name, then its title
const size_t JUMP_COMMAND_SIZE = 512;  // completed path, then the command line
const size_t JUMP_OPTIONS_SIZE = 80;   // editorOptions with the line number put in
const size_t JUMP_TITLE_SIZE = 256;    // window text read for a match
const size_t JUMP_KEY_SIZE = 260;      // uppercased search key

const int JUMP_IDLE_WAIT_MS = 10000;   // longest wait for a started editor
const int JUMP_DIALOG_TRIES = 100;     // searches for the jump dialog
const int JUMP_DIALOG_PAUSE_MS = 10;   // pause after a search that found nothing

const int HIDEMARU_JUMP_COMMAND = 34;  // WM_COMMAND id that opens the jump dialog
const int HIDEMARU_LINE_EDIT = 163;    // edit control of the jump dialog

/// First byte of a key that must equal a whole window title.
const char EXACT_KEY_MARK = '\x01';
/// Exact key of the Hidemaru jump dialog ("指定行への移動").
extern const char* const HidemaruJumpDialogKey;
/// Uppercased end of Bravik's own main-window title; such a window is never the editor.
extern const char* const BravikTitleMark;

/// Ends a line copied out of a rich edit: cut at its first CR or LF (the
/// control hands the break over too), and a lead byte left alone at the end
/// by a count limit dropped.
void FinishCaretLine(char* text);

/// True for a name that needs no directory: a leading '\' or a drive letter.
bool IsRootedName(const char* name);

/// The path where the named file is looked for: the name itself when rooted or
/// when the makefile directory is empty, else directory '\' name. 1 on success,
/// 0 when it does not fit in size bytes (a cut path would name another file).
int CompleteJumpPath(char* out, size_t size, const char* makefileDir, const char* name);

/// The directory the editor starts in: the makefile directory, a bare drive
/// "X:" turned into its root "X:\"; empty when there is none (inherit ours).
void EditorStartDirectory(char* out, size_t size, const char* makefileDir);

/// editorOptions with its first "%d" replaced by the line number, cut to size
/// bytes; every other byte is copied as it stands. Returns true when the text
/// held "%d" (the line then travels on the command line).
bool FormatEditorOptions(char* out, size_t size, const char* options, int line);

/// The command line that opens fileName: editorExe, the options (if any) and
/// the name, blank-separated; just the name without an editor. A name with a
/// blank is quoted. *lineAlreadyPassed tells whether the line number went into
/// the options. Returns 1, or 0 with out empty when the command needs more
/// than size - 1 bytes (cut, it would open another file).
int ComposeEditorCommand(char* out, size_t size, const char* editorExe, const char* editorOptions, int line,
                         const char* fileName, bool* lineAlreadyPassed);

/// True when the window search must use the file title of name (it holds a '\').
bool KeyNeedsFileTitle(const char* name);

/// Copies key into out (size bytes) with ASCII letters uppercased.
void PrepareSearchKey(char* out, size_t size, const char* key);

/// Whether a window with this text is the one a prepared key looks for.
/// Exact key: the whole title equals the rest of the key, ignoring ASCII case.
/// Substring key: a visible, unowned window whose uppercased title contains
/// the key and is not Bravik's own. An empty key matches nothing.
bool TitleMatchesKey(const char* title, const char* preparedKey, bool hasParentOrOwner,
                     bool visible);

/// True when the line must still be set through the editor's jump dialog.
bool ShouldPositionLine(bool windowKnown, int line, bool lineAlreadyPassed, int editorKind);
