// Short size texts for the install-type page: "117 MB", "1.39 GB".
#pragma once

#include <stddef.h>

// Writes the text for size into out (outSize bytes) and returns out; null
// when the text does not fit (out is then untouched). Units are powers of
// 1024, at most three significant digits (four from 1000 to 1023 of a
// unit), decimals truncated.
char* formatByteSize(char* out, size_t outSize, long long size);
