#include "fileconfig/page_checks.h"

#include "fileconfig/file_page_table.h"

std::optional<CheckFailure> CheckPage(const PageSettings &settings, const PageCheckContext &context)
{
    const FilePageRow *row = FilePageTable::holding(settings);
    if (!row || !row->check)
        return std::nullopt;
    return row->check(settings, context);
}
