#include "bravik/core/output_queue.h"
#include "tests/core/test.h"

// Puts and drops of every size keep the bytes in order, through the queue's
// growth and its moves to the front, and the queue's own count agrees.
TEST(OutputQueue, KeepsTheBytesInOrderThroughGrowthAndMoves) {
    OutputQueue queue;
    InitOutputQueue(&queue);
    std::string model;
    size_t peak = 0;
    unsigned seed = 7, next = 0;
    for (int step = 0; step < 1500; ++step) {
        seed = seed * 1103515245u + 12345u;
        size_t n = (seed >> 8) % 40000;
        if ((seed >> 4) % 3 != 0) {
            std::string bytes;
            while (bytes.size() < n) bytes += (char)(next++ % 251);
            ASSERT_EQ(1, PutOutput(&queue, bytes.data(), bytes.size()));
            model += bytes;
            peak = model.size() > peak ? model.size() : peak;
        } else {
            DropOutput(&queue, 2 * n);
            model.erase(0, 2 * n);
        }
        ASSERT_EQ(model, std::string(QueuedData(&queue), QueuedBytes(&queue))) << step;
        ASSERT_LE(queue.capacity, 4 * peak + 64 * 1024) << "grown beyond need";
    }
    FreeOutputQueue(&queue);
    ASSERT_EQ(1, ReserveOutput(&queue, 1000));
    EXPECT_EQ(1000u, queue.capacity);
    EXPECT_EQ(1, PutOutput(&queue, "abc", 3));
    EXPECT_EQ(1, ReserveOutput(&queue, 5000)) << "a queue that holds bytes keeps its block";
    EXPECT_EQ("abc", std::string(QueuedData(&queue), QueuedBytes(&queue)));
    EXPECT_EQ(1000u, queue.capacity);
    FreeOutputQueue(&queue);
}

// The reader pauses at the bound, resumes as the display takes bytes, and
// reads on past the bound while the end of the run is drained.
TEST(OutputQueue, ReaderRoomStopsAtTheBoundExceptWhileDraining) {
    const size_t chunk = 1 << 20, max = OUTPUT_BACKLOG_MAX;
    const struct { size_t queued; bool draining; size_t room; } cases[] = {
        {0, false, chunk}, {max - chunk, false, chunk}, {max - 100, false, 100}, {max, false, 0},
        {max + 5, false, 0}, {max, true, chunk},
    };
    for (const auto& c : cases) {
        OutputQueue queue = {nullptr, 0, c.queued, 0};  // only the count matters here
        EXPECT_EQ(c.room, ReaderRoom(&queue, c.draining, chunk)) << c.queued << " " << c.draining;
    }
}
