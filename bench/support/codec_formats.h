// Formats from the installed codecs; declared with the test files.
#pragma once
#include "support/test_files.h"
