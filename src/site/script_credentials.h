#pragma once

#include "protoconfig/credentials.h"

#include <QString>

#include <functional>
#include <optional>

// Credentials of a script: the ID from the command line, the password from a file or an
// environment variable (never from an argument, which other users can read in the
// process list), or typed without echo when a person is at the terminal. The login
// dialog's checks apply, with its messages.
class ScriptCredentials final : public CredentialPrompt
{
public:
    struct Sources {
        QString user;
        QString passwordFile;                   // empty: none given
        QString environmentVariable = QStringLiteral("ZORA_PASSWORD");
        bool interactive = false;               // standard input is a terminal
        // Reads a line without echo; nothing when the terminal gave none.
        std::function<std::optional<QString>(const QString &prompt)> askHidden;
    };

    // The entry, or nothing with the reason. Sends nothing, touches no camera.
    static std::optional<LoginEntry> resolve(const Sources &sources, QString *error);

    // A secret kept in a file: the file's text without one final line break.
    static std::optional<QString> readSecretFile(const QString &path, QString *error);
    // A secret from a file when one is named, else from the environment variable; an
    // empty result means neither was given.
    static std::optional<QString> secret(const QString &file, const QString &variable,
                                         QString *error);

    // Reads a line from the terminal with echo off.
    static std::optional<QString> askHiddenOnTerminal(const QString &prompt);
    static bool stdinIsTerminal();

    explicit ScriptCredentials(LoginEntry entry);
    std::optional<LoginEntry> askCredentials(const FtpConnectionSetting *ftp) override;

private:
    LoginEntry m_entry;
};
