#include "protoconfig/page_commands.h"

#include "base/messenger.h"
#include "base/string_table.h"
#include "protocol/config_item.h"
#include "protoconfig/credentials.h"

PageCommands::PageCommands(Messenger &messenger)
    : m_messenger(messenger)
{
}

SelectedRow PageCommands::selection() const
{
    return m_selection ? m_selection() : SelectedRow{};
}

std::optional<CommandOutcome> PageCommands::submit(const SelectedRow &row,
                                                   const CommandBytes &command)
{
    if (!command.ok()) {
        m_messenger.tell(command.error, L60::ErrorCaption(), Messenger::Style::Error);
        return std::nullopt;
    }
    if (!m_confirmation || !row.camera)
        return std::nullopt;
    return Commands::Submit(*row.camera, row.record, L60::Unicast(*row.camera), command.bytes,
                            Commands::kCapacity, *m_confirmation, &m_messenger);
}

CommandOutcome PageCommands::resetToDefaults(quint8 scope)
{
    if (!m_prompt || !m_confirmation)
        return CommandOutcome::NotSent;
    const SelectedRow row = selection();
    CommandEnvironment env{m_messenger, *m_prompt, *m_confirmation, m_sources};
    return SendResetToDefaults(row.camera, row.camera ? row.record : -1, row.kind, false, scope,
                               env);
}

std::optional<CommandOutcome> PageCommands::saveAccount(L60AccountSettings settings,
                                                        const AccountSteps &steps)
{
    if (steps.ask
        && !m_messenger.ask(GetString(3176, QStringLiteral("Apply Changes.  Are you sure?")),
                            GetString(3252, QStringLiteral("Confirm"))))
        return std::nullopt;
    const SelectedRow row = selection();
    if (!row.camera)
        return std::nullopt;
    TConfigItem &camera = *row.camera;
    if (camera.AdminPassword.isEmpty()) {
        if (!m_prompt || !RequireCredentials(camera, *m_prompt)) {
            if (steps.loginCancelled)
                steps.loginCancelled();
            return std::nullopt;
        }
        if (steps.loggedIn)
            steps.loggedIn(camera, settings);
    }
    const CommandBytes command = L60::AccountSaveCommand(camera, row.kind, settings, m_sources);
    if (command.ok() && steps.sending)
        steps.sending();
    return submit(row, command);
}
