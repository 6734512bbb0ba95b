// Text of the batch file through which the uninstaller removes its own file
// and folder after it has ended.
#pragma once
#include <stddef.h>

/// Name of the batch: in the root of the drive that is current when the uninstaller runs.
extern const char RemovalBatchName[];
/// Size of the buffer the batch text is formatted in.
const size_t REMOVAL_BATCH_SIZE = 1000;

/// Writes into out (size bytes) the batch that repeats deleting exePath until
/// it is gone (at most 60 tries, about a second apart), removes its folder
/// (exePath cut at its last '\') and deletes batchName. '%' in a path is
/// doubled, as cmd expands it in a batch. Returns the text's length, or 0
/// (out empty) when it does not fit.
size_t FormatRemovalBatch(char* out, size_t size, const char* exePath, const char* batchName);
