// Entry point of the quillmere executable.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--version") == 0 || std::strcmp(arg, "-version") == 0) {
            std::printf("Quillmere %s\n", QUILLMERE_VERSION);
            return 0;
        }
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-help") == 0) {
            std::printf("Usage: quillmere [files...]\n"
                        "  --help       show this text\n"
                        "  --version    show the version\n");
            return 0;
        }
    }
    std::printf("Quillmere %s: the engine is built; the drawing window is not built yet.\n",
                QUILLMERE_VERSION);
    return 0;
}
