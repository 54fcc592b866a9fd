#pragma once
// The text form of the network configuration (".cfx" and every name that is not ".cfg"):
// keyword lines in blocks, modems first, then sites, then instruments. No object IDs are
// stored: a site names its modem definition and an instrument its site, and the reader
// resolves those names against the objects read so far from the same file, giving every
// object it reads a fresh ID.

#include <cstdint>
#include <cstdio>
#include <string>

class CVANTIQApp;
class CNamedObjectList;
class ConfigFileTokenStream;

class CNetworkConfigText {
public:
    enum class LoadResult { Loaded, SyntaxError, ReadError };

    // Builds the whole file under the state lock. A name or string value holding a double
    // quote or a line break could not be read back, so such a configuration is refused:
    // false, with `refusal` saying which object it is (for the path given).
    static bool Write(CVANTIQApp& app, const std::string& path, std::string& out,
                      std::string& refusal);

    // Reads blocks until the end of the input, appending to the three lists. False at the
    // first syntax error, which the stream has recorded (NoteError: token text and line).
    static bool Read(ConfigFileTokenStream& ts, CNamedObjectList& modems, CNamedObjectList& sites,
                     CNamedObjectList& instruments);

    // Reads the open file into temporary lists and, only if the whole file was read, puts
    // them in place of the application's lists. On a syntax error `message` is the text to
    // show and log; the configuration in memory is unchanged then, and after a read error.
    static LoadResult Load(CVANTIQApp& app, std::FILE* file, const std::string& path,
                           std::string& message);
    // The same over bytes in memory.
    static LoadResult LoadBytes(CVANTIQApp& app, const std::string& bytes, const std::string& path,
                                std::string& message);

    // A select or deselect code as it is written between the quotes: EscapeText's form, with
    // a double quote escaped too, so that UnescapeText gives back every byte.
    static std::string EscapeCode(const std::string& bytes);
};
