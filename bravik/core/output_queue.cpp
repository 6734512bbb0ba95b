#include "bravik/core/output_queue.h"

#include <stdlib.h>
#include <string.h>

void InitOutputQueue(OutputQueue* queue) {
    memset(queue, 0, sizeof *queue);
}

void FreeOutputQueue(OutputQueue* queue) {
    free(queue->data);
    InitOutputQueue(queue);
}

int PutOutput(OutputQueue* queue, const char* bytes, size_t n) {
    if (queue->end + n > queue->capacity) {
        size_t queued = QueuedBytes(queue);
        // Moving the queued bytes to the front is cheaper than growing once
        // at least half of the block has been taken.
        if (queue->start >= queue->capacity / 2 && queued + n <= queue->capacity) {
            memmove(queue->data, queue->data + queue->start, queued);
            queue->start = 0;
            queue->end = queued;
        } else {
            size_t capacity = queue->capacity ? queue->capacity * 2 : 64 * 1024;
            while (capacity < queued + n) capacity *= 2;
            char* grown = (char*)malloc(capacity);
            if (!grown) return 0;
            if (queued) memcpy(grown, queue->data + queue->start, queued);
            free(queue->data);
            queue->data = grown;
            queue->capacity = capacity;
            queue->start = 0;
            queue->end = queued;
        }
    }
    memcpy(queue->data + queue->end, bytes, n);
    queue->end += n;
    return 1;
}

int ReserveOutput(OutputQueue* queue, size_t n) {
    if (QueuedBytes(queue) || queue->capacity >= n) return 1;
    char* block = (char*)malloc(n);
    if (!block) return 0;
    free(queue->data);
    queue->data = block;
    queue->capacity = n;
    queue->start = queue->end = 0;
    return 1;
}

void DropOutput(OutputQueue* queue, size_t n) {
    if (n > QueuedBytes(queue)) n = QueuedBytes(queue);
    queue->start += n;
    if (queue->start == queue->end) queue->start = queue->end = 0;
}
