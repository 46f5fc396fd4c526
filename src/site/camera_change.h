#pragma once

#include "protoconfig/commands.h"
#include "protoconfig/l60_settings.h"

#include <QString>

#include <optional>

struct TConfigItem;

// One change that a script asks of a camera, written as the differences from what the
// camera announced: each camera's settings are read from its record, the given values
// replace some of them, and the page's own checks and command builders take it from
// there, so a script meets the same refusals as a person at the pages.
class CameraChange final
{
public:
    enum class Kind { Network, Host, Account, Misc, Reset };

    struct Built {
        CommandBytes command;
        int capacity = Commands::kCapacity;
        bool unicast = false;
        // A refused value: nothing is sent.
        std::optional<CheckFailure> refused;
    };

    explicit CameraChange(Kind kind) : m_kind(kind) {}
    Kind kind() const { return m_kind; }

    // set-network
    void setStatic(const QString &ip, const QString &mask, const QString &gateway,
                   std::optional<QString> dns);
    void setDhcp();
    void setPppoe(const QString &user, const QString &service, const QString &mtu,
                  std::optional<QString> password, std::optional<QString> manualDns);
    // set-hostname
    void setHost(const QString &host, std::optional<QString> domain);
    // set-account
    void setAccount(std::optional<bool> guest, std::optional<QString> newPassword);
    // set-misc; source is an index of the source list
    void setMisc(std::optional<QString> sensitivity, std::optional<int> source);
    // reset
    void setResetScope(quint8 scope) { m_scope = scope; }

    // Checks and builds the command for one camera; the record takes a new password when
    // the command carries one, as the account Save does. rowKind is the row's connection
    // kind column ("2" local, "3" remote).
    Built build(TConfigItem &camera, const QString &rowKind, const CommandSources &sources) const;

private:
    Built buildNetwork(const TConfigItem &camera, const QString &rowKind,
                       const CommandSources &sources) const;

    Kind m_kind;
    L60NetworkType m_type = L60NetworkType::Static;
    QString m_ip, m_mask, m_gateway;
    std::optional<QString> m_dns;
    QString m_pppUser, m_pppService, m_pppMtu;
    std::optional<QString> m_pppPassword, m_pppDns;
    QString m_host;
    std::optional<QString> m_domain;
    std::optional<bool> m_guest;
    std::optional<QString> m_newPassword;
    std::optional<QString> m_sensitivity;
    std::optional<int> m_source;
    quint8 m_scope = 0;
};
