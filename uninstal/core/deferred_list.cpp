#include "uninstal/core/deferred_list.h"

#include <stdlib.h>
#include <string.h>

int AddDeferred(DeferredList* list, int folder, const char* path) {
    if (list->count >= DEFERRED_MAX) return 0;
    size_t length = strlen(path);
    char* entry = (char*)malloc(length + 2);
    if (entry) {
        entry[0] = folder ? 1 : 0;
        memcpy(entry + 1, path, length + 1);
    }
    list->entries[list->count++] = entry;
    return 1;
}

void RunDeferred(DeferredList* list, DeferredRemoveFn remove) {
    while (list->count > 0) {
        char* entry = list->entries[--list->count];
        if (!entry) continue;
        remove(entry[0], entry + 1);
        free(entry);
    }
}

void ReleaseDeferred(DeferredList* list) {
    while (list->count > 0) free(list->entries[--list->count]);
}
