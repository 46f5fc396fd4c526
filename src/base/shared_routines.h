#pragma once

#include <optional>

#include <QString>

class QAbstractSocket;

// Small routines every part of the program calls.

// The application directory with a trailing separator; empty (and ok false) when it
// cannot be determined. It is the executable's directory unless SetApplicationPath
// chose another one (--app-dir, tests, or a read-only installation).
QString ApplicationPath(bool *ok = nullptr);
void SetApplicationPath(const QString &dir);
// The folder "temp" of the application directory: working copies of camera files (and,
// unless a state folder is set, the saved camera list); SetWorkFolder moves it.
QString LocalTempFolder();
void SetWorkFolder(const QString &dir);
// A file by bare name inside LocalTempFolder.
QString TempFilePath(const QString &name);
// What the program keeps between runs: the saved camera list (in LocalTempFolder) and the
// window layout (beside zora.ini), both in the state folder once one is set.
void SetStateFolder(const QString &dir);
QString CameraListFile();
QString WindowLayoutFile();

// Dotted address of the local host: the last IPv4 address its name resolves to; empty
// when the name does not resolve. The key of credential scrambling.
QString LocalHostAddress();

bool IsValidIP(const QString &dotted);
bool SameNetwork(const QString &a, const QString &mask, const QString &b);
// Host name of the socket's local address; `name` is left as it was when the socket is
// not bound or its address does not resolve.
void SocketHostName(const QAbstractSocket *socket, QString &name);

// Checks a firmware image file before it is sent.
bool FlashImageValid(const QString &path);

// The standard address conversion: dotted text to the four bytes in network order as a
// host-order number; INADDR_NONE (0xFFFFFFFF) for text that does not convert.
// Four decimal numbers 0..255 with dots between and nothing else (no leading zeros but a
// lone "0", no octal, hex or shortened forms), as a host-order value.
std::optional<quint32> DottedDecimal(const QString &text);
// The same for a typed field (surrounding blanks allowed); 0xFFFFFFFF when not an address.
quint32 InetAddr(const QString &dotted, bool *ok = nullptr);
