// What the converter tells of the file it converts, and asks between its
// blocks, when something runs it for longer than a glance: the batch
// implements it. The converter knows nothing of who that is.
#pragma once
#include <windows.h>
#include <cstdint>

// Every call comes on the thread that runs the converter. A file brought to
// a level is read twice, so its work is twice its data size: the measuring
// pass does the first half, the converting pass the second.
class ConversionHost {
public:
    // The source is open and the destination created: fileWork bytes of the
    // source's audio are to be read.
    virtual void FileStarted(uint64_t fileWork) = 0;
    // A block of the measuring pass is through: sourceBytes of the source
    // read, fileDone of fileWork done; nothing was written.
    virtual void BlockMeasured(DWORD sourceBytes, uint64_t fileDone, uint64_t fileWork) = 0;
    // A block is through: sourceBytes of the source consumed, destinationBytes
    // written, fileDone of fileWork done.
    virtual void BlockConverted(DWORD sourceBytes, DWORD destinationBytes, uint64_t fileDone, uint64_t fileWork) = 0;
    // The file is converted and finished.
    virtual void FileConverted() = 0;
    // Asked between blocks and between the pieces of a block: true when the
    // conversion is to stop. While the host holds the conversion (a
    // suspension), the call waits.
    virtual bool AbortRequested() = 0;

protected:
    ~ConversionHost() = default;
};
