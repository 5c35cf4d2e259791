// The shared conversion state and the abort poll.
#include "engine/conversion_state.h"

ConversionShared Conversion = {};

bool IsAbortRequested()
{
    HANDLE abortEvent = Conversion.AbortEvent;
    return abortEvent != nullptr && WaitForSingleObject(abortEvent, 0) == WAIT_OBJECT_0;
}
