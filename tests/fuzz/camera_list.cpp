// The saved camera list (temp/CameraList.cfg) as the main window loads it, against a
// plain reading of its rules.
//
// Input: the file. When the first byte has its top bit set, the rest is the file with
// a line of 16128 + (first byte & 0x7f) * 4 bytes after its first line, so that the
// lines after it cross the reader's 16 KiB block boundary at many places.
#include "fuzz_support.h"

#include "base/model_filter_table.h"
#include "protocol/camera_list.h"
#include "protocol/camera_registry.h"
#include "protocol/config_item.h"

namespace {

constexpr qsizetype kLongestLine = 255;

void check(bool ok, const QByteArray &what)
{
    if (!ok)
        Fuzz::fail("camera_list", what);
}

// The rows the file should give: lines end in LF, one CR before it belongs to the end;
// a line over 255 bytes gives no row but keeps its place; a final empty line is no row;
// an empty first line means an empty list.
QStringList expectedRows(const QByteArray &file)
{
    struct Line {
        QByteArray text;
        bool tooLong;
    };
    QList<Line> lines;
    qsizetype start = 0;
    while (start < file.size()) {
        qsizetype end = file.indexOf('\n', start);
        const qsizetype next = end < 0 ? file.size() : end + 1;
        if (end < 0)
            end = file.size();
        QByteArray text = file.mid(start, end - start);
        if (text.endsWith('\r'))
            text.chop(1);
        lines.append({text, text.size() > kLongestLine});
        start = next;
    }
    const auto empty = [](const Line &l) { return !l.tooLong && l.text.isEmpty(); };
    if (lines.size() > 1 && empty(lines.last()))
        lines.removeLast();
    QStringList rows;
    if (lines.isEmpty() || empty(lines.first()))
        return rows;
    for (const Line &l : lines) {
        if (!l.tooLong)
            rows << QString::fromLatin1(l.text);
    }
    return rows;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    Fuzz::start();
    Fuzz::scratch();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray file = Fuzz::bytesOf(data, size).toByteArray();
    if (size > 1 && (data[0] & 0x80)) {
        file.remove(0, 1);
        const qsizetype firstEnd = file.indexOf('\n');
        const qsizetype at = firstEnd < 0 ? file.size() : firstEnd + 1;
        const QByteArray filler = QByteArray(16128 + (data[0] & 0x7f) * 4, 'x') + '\n';
        file.insert(at, firstEnd < 0 ? '\n' + filler : filler);
    }
    const QString path = Fuzz::scratchFile(QStringLiteral("CameraList.cfg"));
    Fuzz::writeFile(path, file);

    CameraList list;
    ModelFilterTable models;
    CameraRegistry registry(list, models);
    registry.loadSavedList(path);

    const QStringList expected = expectedRows(file);
    check(list.count() == expected.size(), "rows: " + QByteArray::number(list.count()) + ", expected "
                                               + QByteArray::number(expected.size()));
    for (int r = 0; r < list.count(); ++r) {
        check(list.column(r, CameraList::ColIp) == expected[r],
              "row " + QByteArray::number(r) + ": " + Fuzz::shown(list.column(r, CameraList::ColIp).toLatin1())
                  + ", expected " + Fuzz::shown(expected[r].toLatin1()));
        const TConfigItem *record = registry.recordOfRow(r);
        check(record && record->Address == expected[r],
              "row " + QByteArray::number(r) + " has no record of its address");
    }
    check(registry.recordCount() == list.count(), "records without rows");
    return 0;
}
