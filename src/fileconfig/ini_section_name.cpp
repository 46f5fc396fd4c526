#include "fileconfig/ini_section_name.h"

#include "fileconfig/config_parser.h"

QByteArray IniSectionName(QByteArrayView contents, SectionPick pick, QByteArrayView fallback)
{
    QByteArray name = fallback.toByteArray();
    for (QByteArrayView line : SplitConfigLines(contents)) {
        if (line.isEmpty() || line.front() == '#')
            continue;
        const qsizetype open = line.indexOf('[');
        if (open < 0)
            continue;
        const qsizetype close = line.indexOf(']', open + 1);
        if (close < 0)
            continue;
        name = line.sliced(open + 1, close - open - 1).toByteArray();
        if (pick == SectionPick::First)
            break;
    }
    return name;
}
