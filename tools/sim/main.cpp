// gasquill-sim: a simulated Monitor or Calibrator for demos and tests.
#include <cstdio>
#include <cstring>

static void Usage(std::FILE* out) {
    std::fputs("usage: gasquill-sim [OPTIONS]\n"
               "\n"
               "Options:\n"
               "  -h, --help     show this help\n",
               out);
}

int main(int argc, char** argv) {
    if (argc >= 2 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0)) {
        Usage(stdout);
        return 0;
    }
    Usage(stderr);
    return 2;
}
