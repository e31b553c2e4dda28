// State shared by the wizard and the copy worker, and the worker's result.
#pragma once

// Guarded by session.copyLock.
enum CopyState {
    CopyIdle = 0,
    CopyRunning = 1,
    CopyFinished = 2,
    CopyCancelRequested = 3
};

// The copy worker's exit code: CopyOk, CopyCancelled, or
// (step << 4) | CopyFailedBit for a failure at a numbered step.
typedef unsigned int CopyResult;
enum {
    CopyOk = 0,
    CopyFailedBit = 1,
    CopyCancelled = 2
};
inline CopyResult copyFailure(unsigned int step) { return (step << 4) | CopyFailedBit; }
