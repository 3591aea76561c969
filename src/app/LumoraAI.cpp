// Program entry. The main window is not built yet; until it is, the program
// says so and names what can be run instead.

#include <cstdio>

int main() {
    std::puts("Lumora AI: the main window is not built yet.\n"
              "What runs today: `make test` (every test) and `make bench` (benchmarks).");
    return 0;
}
