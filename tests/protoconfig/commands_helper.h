#pragma once

#include "protocol/config_item.h"
#include "protoconfig/commands.h"
#include "protoconfig/credentials.h"

#include <QByteArray>
#include <QList>

// A camera as its discovery reply leaves it: model 1, MAC 00:0A:1B:2C:3D:4E, network
// byte 0x81, the given flags; ID "admin", password "pass".
TConfigItem TestCamera(quint8 flags, Connection connectionKind = Connection::Local);

// Key 192.168.0.10 and random word 0x1234, so every block of "pass" is the known one.
CommandSources PinnedSources();

// "pass" scrambled with the pinned sources.
QByteArray PassBlock();

// A credential prompt that answers from a queue and counts its calls.
class ScriptedPrompt final : public CredentialPrompt
{
public:
    std::optional<LoginEntry> askCredentials(const FtpConnectionSetting *ftp) override;
    QList<std::optional<LoginEntry>> answers;
    int calls = 0;
    bool lastHadFtp = false;
};

// Records what the confirmation step was given and answers with a fixed outcome.
class RecordingConfirmation final : public CommandConfirmation
{
public:
    CommandOutcome confirm(const ConfirmRequest &request) override;
    QList<ConfirmRequest> requests;
    CommandOutcome answer = CommandOutcome::Success;
};
