#pragma once
// Token-stream test helpers: text in an anonymous temporary file, and a file stream over it.

#include "model/FileInstrumentTokenStream.h"
#include "support/TextSupport.h"

#include <cstdio>
#include <memory>
#include <string>

// An anonymous temporary file holding the given bytes, rewound.
using TempFile = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;
inline TempFile TempTextFile(const std::string& text) {
    InitSupportLibrary(); // units and gases are words the streams know
    TempFile file(std::tmpfile(), &std::fclose);
    if (file) {
        std::fwrite(text.data(), 1, text.size(), file.get());
        std::rewind(file.get());
    }
    return file;
}

// A file stream over text, owning its file.
struct TextStream {
    explicit TextStream(const std::string& text, size_t bufferSize = 10000)
        : file(TempTextFile(text)), stream(file.get(), bufferSize) {}
    TempFile file;
    FileInstrumentTokenStream stream;
    FileInstrumentTokenStream* operator->() { return &stream; }
};
