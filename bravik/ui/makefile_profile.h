// Reading a makefile into the variant list and the settings.
#pragma once
#include <windows.h>

/// Reads the makefile (name as typed, possibly quoted) into the list box, the
/// variants' macros and the settings. 1 on success, 0 when it cannot be opened
/// or memory ran out (the user has been told). The title and the list's
/// selection mode are the main window's (OpenMakefile).
int ReadMakefile(const char* name);
/// The file errors Bravik reports, in the order of their messages.
enum FileError {
    FILE_ERROR_NONE,       // "正常に終了しました。"
    FILE_NOT_FOUND,        // "ファイルが見つからないか、既に使用されています。"
    FILE_WRONG_FORMAT,     // "この形式のファイルではありません。"
    FILE_DAMAGED,          // "このファイルは壊れています。"
    FILE_OUT_OF_MEMORY,    // "メモリが足りません。"
    FILE_NOT_CREATED,      // "ファイルの作成に失敗しました。"
    FILE_UNSUPPORTED,      // "このファイル形式はサポートされていません。"
    FILE_ERROR_COUNT
};
/// Shows the message of the error after the file's name or title (the message
/// alone without a name). Returns the box's result.
int ShowFileError(FileError error, const char* name);
/// Directory of the open makefile into out (size bytes), with "\subPath"
/// appended when given. 0 on success, 1 when the makefile path has no file title.
int MakefileDirectory(char* out, size_t size, const char* subPath);
