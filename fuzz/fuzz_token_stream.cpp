// Arbitrary bytes through a file token stream, every hint in turn, until the end token.
#include "FuzzInput.h"
#include "model/FileInstrumentTokenStream.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    InitTextTablesOnce();
    if (size == 0)
        return 0;
    // The first byte picks the buffer size so that lines straddle refills.
    const size_t bufferSize = 1 + data[0] % 64;
    const FuzzInputFile input(data + 1, size - 1);
    std::FILE* file = input.Get();
    if (!file)
        return 0;
    {
        FileInstrumentTokenStream ts(file, bufferSize);
        ts.SetSpanLines(true);
        static const int hints[] = {HINT_DOT_IS_PUNCTUATION, HINT_SIGN_IS_PUNCTUATION,
                                    HINT_SIGN_IS_PUNCTUATION_2, HINT_AS_REAL, HINT_NONE};
        // Every token consumes at least one byte or ends a line, so this bound is never
        // reached by a stream that makes progress.
        const size_t limit = 4 * size + 16;
        size_t n = 0;
        for (;; ++n) {
            if (n > limit)
                std::abort();
            const int code = ts.GetToken(hints[n % 5]);
            if (code == TOKEN_END)
                break;
            if (n % 7 == 3)
                (void)FileInstrumentTokenStream::TokenName(code);
            if (n % 11 == 5)
                ts.NoteError();
            if (n % 13 == 7)
                (void)ts.RestOfLine();
        }
    }
    return 0;
}
