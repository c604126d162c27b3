// A console encoder stand-in: prints progress lines and ends.
#include <cstdio>

int main() {
    std::printf("Encoding song.wav\n");
    for (int percent = 0; percent <= 42; percent += 21)
        std::printf("progress %d%%\n", percent);
    std::fflush(stdout);
    return 7;
}
