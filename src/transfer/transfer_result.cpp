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

QString TransferResult::outcomeName(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Done:
        return QStringLiteral("done");
    case Outcome::LocalFileMissing:
        return QStringLiteral("local file missing");
    case Outcome::InvalidImage:
        return QStringLiteral("invalid image");
    case Outcome::ConnectFailed:
        return QStringLiteral("connection or login failed");
    case Outcome::TransferFailed:
        return QStringLiteral("transfer failed");
    }
    return QString();
}
