#include "zoractl/set_misc_command.h"

#include "site/camera_record_format.h"
#include "zoractl/change_command.h"

using namespace Qt::StringLiterals;

CommandSyntax SetMiscCommand::syntax()
{
    return CommandSyntax{u"set-misc"_s,
            u"set-misc MAC [--sensitivity N] [--output-source none|motion|input|all] "
            u"--user ID [options]"_s,
            uR"(Motion-detection sensitivity (1..255) and digital-output source of an L60
camera. A value not given keeps the camera's.)"_s
                + ChangeCommand::sharedHelp(),
            ChangeCommand::sharedOptions()
                + QList<OptionSpec>{{u"--sensitivity"_s, 1, 1},
                                    {u"--output-source"_s, 1, 1}},
            1};
}

std::optional<CameraChange> SetMiscCommand::change(const Arguments &p, QString *error)
{
    CameraChange change(CameraChange::Kind::Misc);
    std::optional<int> source;
    if (p.has(u"--output-source"_s)) {
        source = CameraRecordFormat::outputSourceIndex(p.value(u"--output-source"_s));
        if (!source) {
            *error = u"--output-source takes none, motion, input or all"_s;
            return std::nullopt;
        }
    }
    if (!source && !p.has(u"--sensitivity"_s)) {
        *error = u"set-misc needs --sensitivity or --output-source"_s;
        return std::nullopt;
    }
    change.setMisc(p.optional(u"--sensitivity"_s), source);
    return change;
}
