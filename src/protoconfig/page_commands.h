#pragma once

#include "protocol/selected_row.h"
#include "protoconfig/commands.h"
#include "protoconfig/l60_settings.h"

#include <functional>
#include <optional>

class CommandConfirmation;
class CredentialPrompt;
class Messenger;

// What the settings pages of both families share when they send a command to the
// selected camera: the row, the login dialog, the confirmation step and the key sources
// of the scrambled blocks; and what both do alike with them: hand a built command to
// the confirmation step, reset the camera to its defaults, and the account page's own
// Save.
class PageCommands final
{
public:
    // What the two account pages do differently around the Save they share.
    struct AccountSteps {
        // No password was held and the login was cancelled: nothing is sent.
        std::function<void()> loginCancelled;
        // This Save logged in; `settings` are what will be sent.
        std::function<void(TConfigItem &camera, L60AccountSettings &settings)> loggedIn;
        // The command was built and goes to the confirmation step now.
        std::function<void()> sending;
        // False when the user already said Yes to saving (leaving the page with edits).
        bool ask = true;
    };

    explicit PageCommands(Messenger &messenger);

    void setSelectionSource(SelectedRowSource source) { m_selection = std::move(source); }
    void setCredentialPrompt(CredentialPrompt *prompt) { m_prompt = prompt; }
    void setConfirmation(CommandConfirmation *confirmation) { m_confirmation = confirmation; }
    void setCommandSources(CommandSources sources) { m_sources = std::move(sources); }

    // Nothing selected without a source.
    SelectedRow selection() const;
    CredentialPrompt *prompt() const { return m_prompt; }
    CommandConfirmation *confirmation() const { return m_confirmation; }
    const CommandSources &sources() const { return m_sources; }

    // A built command to the confirmation step for the row's camera; a refused one's
    // reason is shown instead. Nothing when nothing went out.
    std::optional<CommandOutcome> submit(const SelectedRow &row, const CommandBytes &command);
    // A Set Default button: the question, the login, then the reset of `scope` (0: the
    // whole camera).
    CommandOutcome resetToDefaults(quint8 scope);
    // The account page's own Save once the page's checks passed: the question, a login
    // when no password is held for the camera, then the account command through
    // submit(). Nothing when nothing went out.
    std::optional<CommandOutcome> saveAccount(L60AccountSettings settings,
                                              const AccountSteps &steps);

private:
    Messenger &m_messenger;
    SelectedRowSource m_selection;
    CredentialPrompt *m_prompt = nullptr;
    CommandConfirmation *m_confirmation = nullptr;
    CommandSources m_sources;
};
