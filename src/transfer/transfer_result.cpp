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
