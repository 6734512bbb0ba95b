// Test driver of UnInstal under Wine: a sandbox installation made with the
// real shell and registry calls, and a robot for the uninstall dialog.
#pragma once
#include <windows.h>

#include <string>

/// Writes a UTF-8 line to standard output.
void Say(const std::string& line);
/// UTF-16 text to UTF-8.
std::string Utf8(const wchar_t* text);

/// driver sandbox create|state|clean INSTALLDIR TAG [--keep]
int SandboxCommand(int argc, char** argv);
/// driver run EXE [--boxes XYZ] [--press ok|cancel] [--browser ok|cancel|pick:NAME] [--hold-ms N] [--shots PREFIX]
int RunCommand(int argc, char** argv);
