// The makefile as Bravik's project profile: "#Bv" directives that override
// settings, and "#Bravik" lines that define the build variants.
#pragma once
#include <stddef.h>
#include <stdio.h>

#include "bravik/core/settings.h"

const int PROFILE_MAX_VARIANTS = 100;
const size_t PROFILE_LINE_SIZE = 512;  // a line is read 510 characters at a time

/// Receives the variants in makefile order.
class VariantSink {
public:
    /// Puts the label at list position index and keeps a copy of the macros.
    /// Returns false when the copy could not be allocated (the label stays).
    virtual bool AddVariant(int index, const char* label, const char* macros) = 0;

protected:
    ~VariantSink() = default;
};

/// The labels and macro texts used when a makefile defines no variant.
extern const char* const DefaultVariantLabels[2];
extern const char* const DefaultVariantMacros[2];

/// Copies a makefile name as typed into out (260 bytes), dropping one leading
/// double quote and, after it, one trailing double quote.
void PrepareMakefileName(const char* name, char* out, size_t size);

/// Reads a "#Bravik" line: "#Bravik", blanks, "macros", blanks, label.
/// Returns true with macros and label (512 bytes each) filled when the line
/// is a well-formed variant with a non-empty label.
bool ParseVariantLine(const char* line, char* macros, char* label);

/// Applies one "#Bv" directive line to the settings; "#BvEnv" values are
/// appended with "\r\n" to envText (envSize bytes). False when no directive matched.
bool ApplyDirective(const char* line, SettingsRecord& s, char* envText, size_t envSize);

/// Reads every line of an open makefile: directives into s, variants into the
/// sink (at most 100; the two default variants when there are none). Returns 1,
/// or 0 when a variant's macros could not be kept (reading stops there).
int ReadMakefileProfile(FILE* f, SettingsRecord& s, VariantSink& sink);

/// Directory of a makefile path (out of `size` bytes), with '\' and subPath
/// appended when subPath is given. 0 on success, 1 when the path names no file
/// (empty, or ending in a separator); out then holds the path as it was.
int DirectoryOfMakefile(const char* makefilePath, const char* subPath, char* out, size_t size);
