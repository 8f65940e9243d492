// Another program holding a serial device: opens the device named on the command line, says
// "held" and keeps it until its standard input closes.
#include <QCoreApplication>
#include <QSerialPort>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DEVICE\n", argv[0]);
        return 2;
    }
    QSerialPort port(QString::fromLocal8Bit(argv[1]));
    if (!port.open(QIODevice::ReadWrite)) {
        std::fprintf(stderr, "%s\n", qPrintable(port.errorString()));
        return 1;
    }
    std::puts("held");
    std::fflush(stdout);
    while (std::fgetc(stdin) != EOF) {
    }
    return 0;
}
