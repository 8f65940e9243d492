// quillmark-logger: records the module's live data to files, unattended and without a display.
#include "logger/LoggerMain.h"

int main(int argc, char** argv) {
    return quillmark::LoggerMain(argc, argv);
}
