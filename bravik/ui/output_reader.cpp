#include "bravik/ui/output_reader.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

// A read takes at most this much: the pipe's own size, so that a writer in
// large pieces is emptied by one read.
const DWORD READ_CHUNK = OUTPUT_PIPE_SIZE;

static struct {
    bool started;
    CRITICAL_SECTION lock;
    OutputQueue queue;
    HANDLE pipe;
    HANDLE thread;
    HANDLE wake;  // auto-reset: room was made, or a drain or stop was asked for
    HANDLE readDone;
    char* chunk;
    bool drainAsked, stopAsked, finished;  // under the lock
    bool waitingForRoom;                   // under the lock
} reader;

int CreateOutputPipe(HANDLE* readEnd, HANDLE* writeEnd) {
    static LONG serial;
    char name[80];
    snprintf(name, sizeof name, "\\\\.\\pipe\\Bravik.%lu.%ld.%lu", GetCurrentProcessId(), InterlockedIncrement(&serial),
             GetTickCount());
    *readEnd = CreateNamedPipeA(name, PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, OUTPUT_PIPE_SIZE, OUTPUT_PIPE_SIZE,
                                0, nullptr);
    if (*readEnd == INVALID_HANDLE_VALUE) {
        *readEnd = *writeEnd = nullptr;
        return 0;
    }
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    *writeEnd = CreateFileA(name, GENERIC_WRITE, 0, &inheritable, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (*writeEnd == INVALID_HANDLE_VALUE) {
        CloseHandle(*readEnd);
        *readEnd = *writeEnd = nullptr;
        return 0;
    }
    return 1;
}

OutputQueue* LockReceived() {
    EnterCriticalSection(&reader.lock);
    return &reader.queue;
}

void ReleaseReceived() {
    bool wake = reader.waitingForRoom && ReaderRoom(&reader.queue, false, 1) > 0;
    if (wake) reader.waitingForRoom = false;
    LeaveCriticalSection(&reader.lock);
    if (wake) SetEvent(reader.wake);
}

static void Ask(bool* what) {
    if (!reader.started) return;
    EnterCriticalSection(&reader.lock);
    *what = true;
    LeaveCriticalSection(&reader.lock);
    SetEvent(reader.wake);
}

void DrainOutputReader() {
    Ask(&reader.drainAsked);
}

bool OutputReaderFinished() {
    if (!reader.started) return true;
    EnterCriticalSection(&reader.lock);
    bool finished = reader.finished;
    LeaveCriticalSection(&reader.lock);
    return finished;
}

// Whether a read in progress has to be given up: the run is being stopped, or
// its end drained while the read waits on a pipe that was empty.
static bool Interrupted(bool draining) {
    EnterCriticalSection(&reader.lock);
    bool interrupt = reader.stopAsked || (reader.drainAsked && !draining);
    LeaveCriticalSection(&reader.lock);
    return interrupt;
}

// Waits until the backlog leaves room for another read and returns how much
// may be read; 0 when the reader is to stop.
static DWORD WaitForRoom(bool draining) {
    for (;;) {
        EnterCriticalSection(&reader.lock);
        bool stop = reader.stopAsked;
        size_t room = ReaderRoom(&reader.queue, draining || reader.drainAsked, READ_CHUNK);
        reader.waitingForRoom = !stop && !room;
        LeaveCriticalSection(&reader.lock);
        if (stop) return 0;
        if (room) return (DWORD)room;
        WaitForSingleObject(reader.wake, INFINITE);
    }
}

enum ReadResult { READ_DONE, READ_INTERRUPTED, READ_ENDED };

static ReadResult ReadPipe(DWORD size, bool draining, DWORD* got) {
    OVERLAPPED overlapped;
    memset(&overlapped, 0, sizeof overlapped);
    overlapped.hEvent = reader.readDone;
    ResetEvent(reader.readDone);
    *got = 0;
    if (!ReadFile(reader.pipe, reader.chunk, size, nullptr, &overlapped) && GetLastError() != ERROR_IO_PENDING)
        return READ_ENDED;  // the pipe is broken: nobody holds its write end any more
    HANDLE events[2] = {reader.readDone, reader.wake};
    bool interrupted = false;
    while (WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
        if (Interrupted(draining)) {
            CancelIo(reader.pipe);
            interrupted = true;
            break;
        }
    }
    // A cancelled read may still have completed with bytes: they are kept.
    if (GetOverlappedResult(reader.pipe, &overlapped, got, TRUE)) return interrupted ? READ_INTERRUPTED : READ_DONE;
    return GetLastError() == ERROR_OPERATION_ABORTED ? READ_INTERRUPTED : READ_ENDED;
}

static void Keep(DWORD got) {
    for (;;) {
        EnterCriticalSection(&reader.lock);
        bool kept = PutOutput(&reader.queue, reader.chunk, got) != 0;
        bool stop = reader.stopAsked;
        LeaveCriticalSection(&reader.lock);
        if (kept || stop) return;
        // Out of memory: tried again once the dialog has shown some of the backlog.
        WaitForSingleObject(reader.wake, 100);
    }
}

static DWORD PipeHolds() {
    DWORD available = 0;
    if (!PeekNamedPipe(reader.pipe, nullptr, 0, nullptr, &available, nullptr)) return 0;
    return available;
}

static DWORD WINAPI ReadOutput(void*) {
    bool draining = false;
    DWORD drainLeft = 0;
    while (DWORD room = WaitForRoom(draining)) {
        if (!draining) {
            EnterCriticalSection(&reader.lock);
            draining = reader.drainAsked;
            LeaveCriticalSection(&reader.lock);
            // What the pipe holds when the child's end is noticed is the rest
            // of the run; a process the child started may write on for ever.
            if (draining) drainLeft = PipeHolds();
        }
        if (draining && drainLeft == 0) break;
        DWORD size = draining && drainLeft < room ? drainLeft : room;
        DWORD got = 0;
        ReadResult result = ReadPipe(size, draining, &got);
        if (got) Keep(got);
        if (draining) drainLeft -= got < drainLeft ? got : drainLeft;
        if (result == READ_ENDED) break;
    }
    EnterCriticalSection(&reader.lock);
    reader.finished = true;
    LeaveCriticalSection(&reader.lock);
    return 0;
}

int StartOutputReader(HANDLE pipe) {
    StopOutputReader();
    InitializeCriticalSection(&reader.lock);
    InitOutputQueue(&reader.queue);
    // A whole backlog's block from the start: growing it later would copy a
    // large backlog while the reader holds the lock that the display waits
    // for. The pages are only touched as far as output comes.
    ReserveOutput(&reader.queue, OUTPUT_BACKLOG_MAX + READ_CHUNK);
    reader.pipe = pipe;
    reader.drainAsked = reader.stopAsked = reader.waitingForRoom = false;
    reader.finished = pipe == nullptr;
    reader.wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    reader.readDone = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    reader.chunk = (char*)malloc(READ_CHUNK);
    reader.started = true;
    if (reader.finished) return 1;
    if (reader.wake && reader.readDone && reader.chunk)
        reader.thread = CreateThread(nullptr, 0, ReadOutput, nullptr, 0, nullptr);
    if (reader.thread) return 1;
    reader.finished = true;
    return 0;
}

void StopOutputReader() {
    if (!reader.started) return;
    if (reader.thread) {
        Ask(&reader.stopAsked);
        WaitForSingleObject(reader.thread, INFINITE);
        CloseHandle(reader.thread);
        reader.thread = nullptr;
    }
    if (reader.wake) CloseHandle(reader.wake);
    if (reader.readDone) CloseHandle(reader.readDone);
    reader.wake = reader.readDone = nullptr;
    free(reader.chunk);
    reader.chunk = nullptr;
    FreeOutputQueue(&reader.queue);
    DeleteCriticalSection(&reader.lock);
    reader.started = false;
}
