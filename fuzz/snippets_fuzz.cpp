// snippets.json: arbitrary bytes through the data file decoder, round trip checked.
#include "DataFileRoundTrip.h"
#include "stores/Snippet.h"

using namespace lettergate;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return fuzzDataFile<Snippet>(data, size);
}
