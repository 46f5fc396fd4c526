#pragma once

#include <QMetaType>
#include <QString>
#include <QStringList>

// How one FTP transfer job ended. Every front end reads the same value: the window's
// dialogs word it, the command-line tool prints it.
struct TransferResult {
    enum class Outcome {
        Done,              // every operation of the job was done
        LocalFileMissing,  // a local file the job needs does not exist; nothing was sent
        InvalidImage,      // the firmware image is not one a camera takes; nothing was sent
        ConnectFailed,     // connecting or logging in failed
        TransferFailed,    // an operation after the login failed (a refused or broken store)
    };

    Outcome outcome = Outcome::Done;
    QString errorText;         // the FTP client's own text of the failure
    QString lastReply;         // the server's last reply line ("553 Permission denied.")
    QString missingLocal;      // the local file that is missing
    QString lackingOnCamera;   // a final path that may be gone: its replacement failed
    QStringList listing;       // the daemon folder's names, unfiltered
    bool overLimit = false;    // a fetched file or listing passed its bound; errorText says which
    bool serverSilent = false; // ConnectFailed without a word from the server: the port is wrong

    bool ok() const { return outcome == Outcome::Done; }
    // The code a worker reports: 0 done, 1 an operation failed or a local file is
    // missing, 2 connecting or logging in failed.
    int code() const;
    // The one message for a camera whose FTP port did not answer.
    static QString silentPortText(const QString &host, int port);
};

Q_DECLARE_METATYPE(TransferResult)
