// Shortcut files and menu folders that an uninstall run removes after its
// last record, last first, so that a folder goes after the shortcuts in it.
#pragma once
#include "uninstal/core/script_format.h"

/// Each entry is one heap block: a marker byte (1 = folder, 0 = file) and the
/// NUL-terminated path; a null entry is one whose allocation failed.
struct DeferredList {
    char* entries[DEFERRED_MAX];
    int count;
};

/// Removes one deferred path: a folder when folder is non-zero, else a file.
typedef void (*DeferredRemoveFn)(int folder, const char* path);

/// Appends an entry; returns 0 when the list is full (nothing is added).
int AddDeferred(DeferredList* list, int folder, const char* path);
/// Carries the entries out from the last to the first, releasing each; the list is empty afterwards.
void RunDeferred(DeferredList* list, DeferredRemoveFn remove);
/// Releases the entries without carrying them out; the list is empty afterwards.
void ReleaseDeferred(DeferredList* list);
