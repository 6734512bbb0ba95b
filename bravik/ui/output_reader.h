// The reader of a make run: a thread of its own that blocks on the child's
// output pipe and moves what it reads into a queue, from which the run dialog
// takes on its timer. The thread never touches a window; the dialog never
// waits on the pipe. One run at a time, so the reader's state is global.
#pragma once
#include <windows.h>

#include "bravik/core/output_queue.h"

/// Bytes the output pipe holds before a writing child has to wait for the reader.
const DWORD OUTPUT_PIPE_SIZE = 1u << 20;

/// Creates the child's output pipe: the write end inheritable, for the
/// child's standard output and error; the read end Bravik's own, opened for
/// overlapped reads, so that a read can be given up when the run ends while
/// a process the child started still holds the write end. 1 or 0.
int CreateOutputPipe(HANDLE* readEnd, HANDLE* writeEnd);

/// Starts the reader on `pipe` (the read end of CreateOutputPipe; nullptr: a
/// run without output). 0 when no thread could be started: the reader then
/// counts as finished at once.
int StartOutputReader(HANDLE pipe);

/// The queue of received output, locked until ReleaseReceived. Whatever the
/// caller drops from it makes room for a reader that waits for the backlog.
OutputQueue* LockReceived();
void ReleaseReceived();

/// The child has ended: the reader reads what the pipe holds now and then
/// finishes, without waiting for more from processes the child started.
void DrainOutputReader();

/// Whether the reader has finished: nothing more will be put into the queue.
bool OutputReaderFinished();

/// Stops the reader (a pending read is cancelled), waits for its thread and
/// frees the queue. Safe to call when no reader runs.
void StopOutputReader();
