// gasquill-cli: the gasquill core driven from the command line.
#include <cstdio>
#include <cstring>

static void Usage(std::FILE* out) {
    std::fputs("usage: gasquill-cli [GLOBAL OPTIONS] COMMAND [ARGS]\n"
               "\n"
               "Global options:\n"
               "  -h, --help     show this help\n"
               "  --version      show the program's version\n",
               out);
}

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("gasquill-cli %s\n", GASQUILL_VERSION);
        return 0;
    }
    if (argc >= 2 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0)) {
        Usage(stdout);
        return 0;
    }
    Usage(stderr);
    return 2;
}
