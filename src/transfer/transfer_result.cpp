#include "transfer/transfer_result.h"

int TransferResult::code() const
{
    switch (outcome) {
    case Outcome::Done:
        return 0;
    case Outcome::ConnectFailed:
        return 2;
    case Outcome::LocalFileMissing:
    case Outcome::InvalidImage:
    case Outcome::TransferFailed:
        break;
    }
    return 1;
}

QString TransferResult::silentPortText(const QString &host, int port)
{
    return QStringLiteral("The camera at %1 did not answer on its FTP port %2.\n\n"
                          "Check the FTP port in the login dialog (the well-known FTP port is 21).")
        .arg(host)
        .arg(port);
}
