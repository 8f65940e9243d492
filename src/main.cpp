// The program's entry point.
#include "shell/Main.h"

int main(int argc, char** argv) {
    return quillmark::Main(argc, argv);
}
