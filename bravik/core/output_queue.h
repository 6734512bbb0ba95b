// Output of the make child that Bravik has received and not shown yet: the
// reader thread puts what it reads at the end, the run dialog takes lines
// from the front. The queue itself knows no threads; its user holds a lock
// around every call.
#pragma once
#include <stddef.h>

/// Received and not shown beyond this, the reader stops reading and the child
/// waits on the full pipe until the display has caught up. Nothing is dropped.
const size_t OUTPUT_BACKLOG_MAX = (size_t)64 << 20;

struct OutputQueue {
    char* data;
    size_t start, end, capacity;  // the queued bytes are data[start..end)
};

void InitOutputQueue(OutputQueue* queue);
void FreeOutputQueue(OutputQueue* queue);

inline size_t QueuedBytes(const OutputQueue* queue) { return queue->end - queue->start; }
inline const char* QueuedData(const OutputQueue* queue) { return queue->data + queue->start; }

/// Appends n bytes; 0 when memory ran out (nothing is appended then), else 1.
int PutOutput(OutputQueue* queue, const char* bytes, size_t n);

/// Gives an empty queue a block of at least n bytes at once; 0 when that much
/// memory cannot be had (the queue then grows as bytes come, as before).
int ReserveOutput(OutputQueue* queue, size_t n);
/// Removes n bytes (at most what is queued) from the front.
void DropOutput(OutputQueue* queue, size_t n);

/// Bytes a reader may read now, at most `chunk`: what the backlog's bound
/// leaves, or `chunk` while the run's end is drained (the rest of the pipe,
/// at most one pipe's worth). 0: the reader waits for the display.
inline size_t ReaderRoom(const OutputQueue* queue, bool draining, size_t chunk) {
    size_t queued = QueuedBytes(queue);
    size_t room = draining ? chunk : queued < OUTPUT_BACKLOG_MAX ? OUTPUT_BACKLOG_MAX - queued : 0;
    return room < chunk ? room : chunk;
}
