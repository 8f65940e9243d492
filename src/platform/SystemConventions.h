// What differs between the systems the program runs on: how serial devices are named and how
// text files that users write are encoded. Everything else stays free of system checks.
#pragma once

#include <QByteArrayView>
#include <QString>

namespace quillmark {

// Windows numbers its serial ports itself; elsewhere a USB adapter or a pseudo-terminal has no
// fixed number, so the user maps port numbers to devices in the settings.
#ifdef Q_OS_WIN
inline constexpr bool kPortDevicesMappedByUser = false;
#else
inline constexpr bool kPortDevicesMappedByUser = true;
#endif

// The device the system itself gives port number N (1-based): "COM7" on Windows, /dev/ttyS6
// elsewhere (the kernel counts from zero).
QString systemPortDevice(int portNumber);

// A text file written by a user's editor: a UTF-8 byte-order mark is skipped. On Windows the
// text is in the machine's ANSI code page; elsewhere it is UTF-8 when it is valid UTF-8, and
// Latin-1 otherwise, so an older file keeps one character per byte.
QString decodeUserText(QByteArrayView bytes);

// Where a program that runs unattended keeps its own state (the dashboard's token): the folder
// systemd gives a service (STATE_DIRECTORY), else the user's state folder for "quillmark".
QString unattendedStateFolder();

}  // namespace quillmark
