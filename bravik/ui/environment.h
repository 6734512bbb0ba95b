// The environment block of the make child, composed from the settings.
#pragma once
#include <windows.h>

/// Composes the environment from AppState.settings (environment text and
/// useSystemEnv) with the platform's strings and directories. separator NUL
/// gives a block for CreateProcess, LF a text to show. Returns a block the
/// caller frees with free(), or nullptr after telling the user that memory ran
/// out or which variable would pass the platform's limit.
char* BuildEnvironment(HWND owner, char separator);
