#include "fileconfig/account_checks.h"

#include "base/string_table.h"

namespace {

constexpr int kMinPassword = 4;
constexpr int kMaxPassword = 16;

} // namespace

std::optional<CheckFailure> CheckAccountSave(const AccountPageSettings &s)
{
    const QString focus = QStringLiteral("editNewPass");
    if (s.changePassword) {
        if (s.newPassword != s.newPasswordAgain)
            return CheckFailure{
                GetString(3255, QStringLiteral("Password does not match")), {}, focus};
        if (s.newPassword.isEmpty())
            return CheckFailure{
                GetString(3199, QStringLiteral("New Password is EMPTY")), {}, focus};
        if (s.newPassword.size() < kMinPassword)
            return CheckFailure{
                GetString(3261, QStringLiteral("New Password is too SHORT")), {}, focus};
    }
    // Three line breaks here, unlike the other two-part messages.
    if (auto f = Checks::RejectLonger(
            s.newPassword, kMaxPassword,
            GetString(3197, QStringLiteral("New password is TOO long")) + QStringLiteral("\n\n\n")
                + GetString(3198, QStringLiteral("Maximum 16 characters")),
            focus))
        return f;
    // The new password is sent only with "Change Password"; the camera's FTP login
    // takes it afterwards, so it must survive the 8-bit form.
    if (!s.changePassword)
        return std::nullopt;
    return Checks::RejectUnstorable(s.newPassword, GetString(3053, QStringLiteral("New Password")),
                                    focus);
}
