// What the converter tells of the file it converts, and asks between its
// blocks, when something runs it for longer than a glance: the batch
// implements it. The converter knows nothing of who that is.
#pragma once
#include <windows.h>

// Every call comes on the thread that runs the converter.
class ConversionHost {
public:
    // The source is open and the destination created: dataSize audio bytes
    // of the source are to be converted.
    virtual void FileStarted(DWORD dataSize) = 0;
    // A block is through: sourceBytes of the source consumed, destinationBytes
    // written, fileDone of fileSize source bytes done.
    virtual void BlockConverted(DWORD sourceBytes, DWORD destinationBytes, DWORD fileDone, DWORD fileSize) = 0;
    // The file is converted and finished.
    virtual void FileConverted() = 0;
    // Asked between blocks and between the pieces of a block: true when the
    // conversion is to stop. While the host holds the conversion (a
    // suspension), the call waits.
    virtual bool AbortRequested() = 0;

protected:
    ~ConversionHost() = default;
};
